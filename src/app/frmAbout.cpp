#include "frmAbout.h"

#include "common/CentreForm.h"
#include "common/ErrorReport.h"
#include "common/Icons.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

QString versionText() {
    return "Version " + programVersion();
}

frmAbout::frmAbout(QWidget *parent) : QDialog(parent) {
    setObjectName("frmAbout");
    setWindowTitle("About Brindlemark");
    auto *picture = new QLabel(this);
    picture->setPixmap(iconFor("brindlemark").pixmap(48, 48));
    picture->setAccessibleName("Brindlemark logo");
    Label1 = new QLabel("Brindlemark", this);
    Label1->setObjectName("Label1");
    QFont title = Label1->font();
    title.setPointSizeF(title.pointSizeF() * 1.6);
    title.setBold(true);
    Label1->setFont(title);
    lblVersion = new QLabel(versionText(), this);
    lblVersion->setObjectName("lblVersion");
    cmdOK = new QPushButton("OK", this);
    cmdOK->setObjectName("cmdOK");
    cmdOK->setDefault(true);
    connect(cmdOK, &QPushButton::clicked, this, &QDialog::accept);
    auto *texts = new QVBoxLayout;
    texts->addWidget(Label1);
    texts->addWidget(lblVersion);
    texts->addWidget(new QLabel("A query tool for Oracle databases.", this));
    auto *top = new QHBoxLayout;
    top->addWidget(picture, 0, Qt::AlignTop);
    top->addLayout(texts);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOK);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(buttons);
}

void frmAbout::showEvent(QShowEvent *event) {
    QDialog::showEvent(event);
    Centre_Form(this);
}

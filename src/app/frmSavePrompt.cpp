#include "frmSavePrompt.h"

#include "common/CentreForm.h"
#include "common/Icons.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

frmSavePrompt::frmSavePrompt(QWidget *parent) : QDialog(parent) {
    setObjectName("frmSavePrompt");
    setWindowTitle("Brindlemark");
    auto *icon = new QLabel(this);
    icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(32, 32));
    icon->setAccessibleName("Warning");
    lblPrompt = new QLabel(this);
    lblPrompt->setObjectName("lblPrompt");
    lblPrompt->setWordWrap(true);
    Label2 = new QLabel("Do you wish to save the changes ?", this);
    Label2->setObjectName("Label2");
    const auto button = [this](const char *name, const QString &text, qint16 response) {
        auto *b = new QPushButton(text, this);
        b->setObjectName(name);
        connect(b, &QPushButton::clicked, this, [this, response] {
            Response = response;
            done(response == kCancel ? QDialog::Rejected : QDialog::Accepted);
        });
        return b;
    };
    cmdYes = button("cmdYes", "&Yes", kYes);
    cmdNo = button("cmdNo", "&No", kNo);
    cmdNoAll = button("cmdNoAll", "No To &All", kNoToAll);
    cmdCancel = button("cmdCancel", "Cancel", kCancel);
    cmdYes->setDefault(true);

    auto *texts = new QVBoxLayout;
    texts->addWidget(lblPrompt);
    texts->addWidget(Label2);
    auto *top = new QHBoxLayout;
    top->addWidget(icon, 0, Qt::AlignTop);
    top->addLayout(texts, 1);
    auto *buttons = new QHBoxLayout;
    for (QPushButton *b : {cmdYes, cmdNo, cmdNoAll, cmdCancel})
        buttons->addWidget(b);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(buttons);
}

void frmSavePrompt::showEvent(QShowEvent *event) {
    QDialog::showEvent(event);
    Centre_Form(this);
}

void frmSavePrompt::reject() {
    // Escape and the close box answer Cancel.
    Response = kCancel;
    QDialog::reject();
}

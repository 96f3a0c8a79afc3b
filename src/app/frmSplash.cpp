#include "frmSplash.h"

#include "MDIMain.h"
#include "common/CentreForm.h"
#include "common/Icons.h"
#include "frmAbout.h"

#include <QKeyEvent>
#include <QLabel>
#include <QVBoxLayout>

frmSplash::frmSplash(QWidget *parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint) {
    setObjectName("frmSplash");
    setAttribute(Qt::WA_DeleteOnClose);
    setAutoFillBackground(true);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, Qt::white);
    setPalette(palette);
    resize(420, 260);

    Picture1 = new QLabel(this);
    Picture1->setObjectName("Picture1");
    Picture1->setAlignment(Qt::AlignCenter);
    Picture1->setPixmap(iconFor("brindlemark").pixmap(96, 96));
    Picture1->setAccessibleName("Brindlemark logo");
    auto *name = new QLabel("Brindlemark", this);
    QFont title = name->font();
    title.setPointSizeF(title.pointSizeF() * 2);
    title.setBold(true);
    name->setFont(title);
    name->setAlignment(Qt::AlignCenter);
    lblVersion = new QLabel(versionText(), this);
    lblVersion->setObjectName("lblVersion");
    lblVersion->setAlignment(Qt::AlignCenter);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Picture1, 1);
    layout->addWidget(name);
    layout->addWidget(lblVersion);

    Timer1.setInterval(2000);
    Timer1.setSingleShot(true);
    connect(&Timer1, &QTimer::timeout, this, &frmSplash::Timer1_Timer);
}

void frmSplash::showEvent(QShowEvent *event) {
    QWidget::showEvent(event);
    Centre_Form(this);
    if (!started_ && !Timer1.isActive())
        Timer1.start();
}

void frmSplash::keyPressEvent(QKeyEvent *) {
    Timer1_Timer();
}

void frmSplash::Timer1_Timer() {
    // The main window is shown exactly once, whichever of the timer and a key comes first.
    if (started_)
        return;
    started_ = true;
    Timer1.stop();
    // Out of sight while the main window loads, so it never covers the log-on dialog; it
    // goes once the load has returned.
    hide();
    main_ = new MDIMain;
    main_->setAttribute(Qt::WA_DeleteOnClose);
    main_->Form_Load();
    emit mainWindowShown(main_);
    close();
}

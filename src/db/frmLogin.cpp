#include "frmLogin.h"

#include "common/CentreForm.h"
#include "common/DialogButtons.h"
#include "common/Icons.h"
#include "common/SelectTextOnFocus.h"

#include <QEvent>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

frmLogin::frmLogin(QWidget *parent) : QDialog(parent) {
    setObjectName("frmLogin");
    setWindowTitle("Brindlemark Database Login");
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);

    Picture1 = new QLabel(this);
    Picture1->setObjectName("Picture1");
    Picture1->setPixmap(iconFor("brindlemark").pixmap(48, 48));
    Picture1->setAccessibleName("Brindlemark logo");
    const auto field = [this](const char *name) {
        auto *edit = new FocusSelectLineEdit(this);
        edit->setObjectName(name);
        return edit;
    };
    txtUserId = field("txtUserId");
    txtPassword = field("txtPassword");
    txtPassword->setEchoMode(QLineEdit::Password);
    txtServiceName = field("txtServiceName");
    const DialogButtons buttons = makeDialogButtons(this, "OK", "Cancel");
    cmdOK = buttons.ok;
    cmdCancel = buttons.cancel;
    connect(cmdOK, &QPushButton::clicked, this, [this] {
        cancelled_ = false;
        accept();
    });
    connect(cmdCancel, &QPushButton::clicked, this, &frmLogin::reject);

    auto *fields = new QFormLayout;
    fields->addRow("&User Name:", txtUserId);
    fields->addRow("&Password:", txtPassword);
    fields->addRow("&Service Name:", txtServiceName);
    auto *top = new QHBoxLayout;
    top->addWidget(Picture1, 0, Qt::AlignTop);
    top->addLayout(fields);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(buttons.row);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    setTabOrder(txtUserId, txtPassword);
    setTabOrder(txtPassword, txtServiceName);
    setTabOrder(txtServiceName, cmdOK);
    setTabOrder(cmdOK, cmdCancel);
}

void frmLogin::showEvent(QShowEvent *event) {
    QDialog::showEvent(event);
    Centre_Form(this);
    txtUserId->setFocus(Qt::OtherFocusReason);
}

void frmLogin::changeEvent(QEvent *event) {
    QDialog::changeEvent(event);
    // Each time the dialog becomes the active window the user name has the focus.
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        txtUserId->setFocus(Qt::ActiveWindowFocusReason);
}

void frmLogin::reject() {
    // Cancel, Escape and the close box all cancel the log-on.
    cancelled_ = true;
    QDialog::reject();
}

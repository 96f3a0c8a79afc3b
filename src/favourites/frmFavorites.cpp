#include "favourites/frmFavorites.h"

#include "common/CentreForm.h"
#include "common/DialogButtons.h"

#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

frmFavorites::frmFavorites(QWidget *parent) : QDialog(parent) {
    setObjectName("frmFavorites");
    setWindowTitle("Add to Favorites");
    txtName = new QLineEdit(this);
    txtName->setObjectName("txtName");
    txtName->setAccessibleName("Name:");
    const DialogButtons buttons = makeDialogButtons(this, "OK", "Cancel");
    cmdOK = buttons.ok;
    cmdCancel = buttons.cancel;
    connect(cmdOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(cmdCancel, &QPushButton::clicked, this, &frmFavorites::reject);
    auto *fields = new QFormLayout;
    fields->addRow("&Name:", txtName);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addLayout(buttons.row);
    txtName->setMinimumWidth(280);
}

void frmFavorites::showEvent(QShowEvent *event) {
    QDialog::showEvent(event);
    Centre_Form(this);
    txtName->setFocus(Qt::OtherFocusReason);
}

void frmFavorites::reject() {
    cancelled_ = true;
    QDialog::reject();
}

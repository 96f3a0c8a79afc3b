#include "frmError.h"

#include "CentreForm.h"
#include "DialogButtons.h"
#include "ErrorReport.h"
#include "Prompt.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

frmError::frmError(QWidget *parent) : QDialog(parent) {
    setObjectName("frmError");
    setWindowTitle("Error Report");
    setModal(true);

    auto *explanation = new QLabel(
        "An error has occurred whilst running this application.  The application may not be "
        "able to recover.  Would you like to send an error report by email to Calderbrook so "
        "they can fix this problem in time for the next release.",
        this);
    explanation->setWordWrap(true);

    auto *details = new QGroupBox("Error Details", this);
    txtNo = new QLineEdit(details);
    txtNo->setObjectName("txtNo");
    txtNo->setReadOnly(true);
    txtNo->setAccessibleName("Error number");
    txtSource = new QPlainTextEdit(details);
    txtSource->setObjectName("txtSource");
    txtSource->setReadOnly(true);
    txtSource->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    txtSource->setAccessibleName("Procedure / Function");
    txtDescription = new QPlainTextEdit(details);
    txtDescription->setObjectName("txtDescription");
    txtDescription->setReadOnly(true);
    txtDescription->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    txtDescription->setAccessibleName("Description");
    auto *sourceLabel = new QLabel("Procedure / Function", details);
    sourceLabel->setBuddy(txtSource);
    auto *descriptionLabel = new QLabel("Description", details);
    descriptionLabel->setBuddy(txtDescription);
    auto *grid = new QGridLayout(details);
    grid->addWidget(txtNo, 0, 0);
    grid->addWidget(sourceLabel, 1, 0);
    grid->addWidget(txtSource, 2, 0);
    grid->addWidget(descriptionLabel, 3, 0);
    grid->addWidget(txtDescription, 4, 0);

    const DialogButtons buttons = makeDialogButtons(this, "Send Report", "Don't Send");
    cmdOK = buttons.ok;
    cmdCancel = buttons.cancel;
    connect(cmdOK, &QPushButton::clicked, this, &frmError::sendReport);
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(explanation);
    layout->addWidget(details);
    layout->addLayout(buttons.row);
    resize(480, 420);
}

void frmError::showEvent(QShowEvent *event) {
    QDialog::showEvent(event);
    Centre_Form(this);
}

void frmError::setDetails(const QString &number, const QString &source,
                          const QString &description) {
    number_ = number;
    source_ = source;
    description_ = description;
    txtNo->setText(number);
    txtSource->setPlainText(source);
    txtDescription->setPlainText(description);
}

void frmError::sendReport() {
    const QUrl link = errorReportLink(errorReportText(number_, source_, description_));
    if (!link.isValid() || !QDesktopServices::openUrl(link)) {
        bm::Prompt::current().message(
            QMessageBox::Warning, QMessageBox::Ok, QCoreApplication::applicationName(),
            "There were problems encountered whilst launching your Internet mail client.\r"
            "Please take a screen sample by pressing 'ALT + PrtSc' and email to " +
                supportMailAddress());
    }
}

#pragma once

// The error dialog: the error's number, labelled source and description, and the offer to mail
// a report to the support mailbox.

#include <QDialog>

class QLineEdit;
class QPlainTextEdit;
class QPushButton;

class frmError : public QDialog {
    Q_OBJECT
public:
    explicit frmError(QWidget *parent = nullptr);

    void setDetails(const QString &number, const QString &source, const QString &description);
    // Builds the report from the fields and hands its mail link to the mail client; a failed
    // launch shows how to report by other means. The dialog stays open.
    void sendReport();

    QLineEdit *txtNo;
    QPlainTextEdit *txtSource;
    QPlainTextEdit *txtDescription;
    QPushButton *cmdOK;
    QPushButton *cmdCancel;

protected:
    void showEvent(QShowEvent *event) override;

private:
    // The texts as given: the fields show them, the report carries them with their line breaks.
    QString number_, source_, description_;
};

#pragma once

// The log-on dialog: user name, password (masked) and net service name.

#include <QDialog>

class FocusSelectLineEdit;
class QLabel;
class QPushButton;

class frmLogin : public QDialog {
    Q_OBJECT
public:
    explicit frmLogin(QWidget *parent = nullptr);

    // False after OK, true after Cancel, Escape or the close box.
    bool Cancelled() const { return cancelled_; }

    FocusSelectLineEdit *txtUserId;
    FocusSelectLineEdit *txtPassword;
    FocusSelectLineEdit *txtServiceName;
    QPushButton *cmdOK;
    QPushButton *cmdCancel;
    QLabel *Picture1;

protected:
    void showEvent(QShowEvent *event) override;
    void changeEvent(QEvent *event) override;
    void reject() override;

private:
    bool cancelled_ = false;
};

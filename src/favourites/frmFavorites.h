#pragma once

// The dialog that names a new favourite.

#include <QDialog>

class QLineEdit;
class QPushButton;

class frmFavorites : public QDialog {
    Q_OBJECT
public:
    explicit frmFavorites(QWidget *parent = nullptr);

    // False after OK; true after Cancel, Escape or the close box.
    bool Cancelled() const { return cancelled_; }

    QLineEdit *txtName;
    QPushButton *cmdOK;
    QPushButton *cmdCancel;

protected:
    void showEvent(QShowEvent *event) override;
    void reject() override;

private:
    bool cancelled_ = false;
};

#pragma once

// The four-button question before a changed query window closes with the others: Yes, No,
// No To All, Cancel. Response holds the answer (6, 7, 8, 2); the close box counts as Cancel.

#include <QDialog>

class QLabel;
class QPushButton;

class frmSavePrompt : public QDialog {
    Q_OBJECT
public:
    static constexpr qint16 kYes = 6;
    static constexpr qint16 kNo = 7;
    static constexpr qint16 kNoToAll = 8;
    static constexpr qint16 kCancel = 2;

    explicit frmSavePrompt(QWidget *parent = nullptr);

    qint16 Response = kCancel;

    QLabel *lblPrompt;
    QLabel *Label2;
    QPushButton *cmdYes;
    QPushButton *cmdNo;
    QPushButton *cmdNoAll;
    QPushButton *cmdCancel;

protected:
    void showEvent(QShowEvent *event) override;
    void reject() override;
};

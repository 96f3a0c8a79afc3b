#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

// The About box: product name and version.
class frmAbout : public QDialog {
    Q_OBJECT
public:
    explicit frmAbout(QWidget *parent = nullptr);

    QLabel *Label1;
    QLabel *lblVersion;
    QPushButton *cmdOK;

protected:
    void showEvent(QShowEvent *event) override;
};

// "Version " and the program's version.
QString versionText();

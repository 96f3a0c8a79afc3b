#pragma once

// The options dialog: fills its controls from AppOptions when created; OK stores and saves them,
// Cancel leaves everything as it was.

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;

class frmOptions : public QDialog {
    Q_OBJECT
public:
    explicit frmOptions(QWidget *parent = nullptr);

    bool Cancelled() const { return cancelled_; }
    void setCancelled(bool cancelled) { cancelled_ = cancelled; }

    QTabWidget *SSTab1;
    QComboBox *cboResults;
    QCheckBox *chkShowResults;
    QCheckBox *chkShowPlan;
    QLineEdit *txtMaxRecords;
    QCheckBox *chkColourCode;
    QPlainTextEdit *txtDefaultText;
    QPushButton *cmdOK;
    QPushButton *cmdCancel;

    static constexpr int kMaxRecordsLength = 5;
    static constexpr int kDefaultTextLength = 2000;

    void cmdOK_Click();
    void cmdCancel_Click();

protected:
    void showEvent(QShowEvent *event) override;
    void reject() override;

private:
    void loadOptions();
    void limitDefaultText();

    bool cancelled_ = false;
};

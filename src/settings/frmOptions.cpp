#include "frmOptions.h"

#include "AppOptions.h"
#include "OptionsFile.h"
#include "common/CentreForm.h"
#include "common/DialogButtons.h"
#include "modFunctions.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

// A check-box state as the program stores it: 0 unchecked, 1 checked, 2 greyed.
bool setState(QCheckBox *box, int value) {
    if (value < 0 || value > 2)
        return false;
    box->setTristate(value == 2);
    box->setCheckState(value == 2   ? Qt::PartiallyChecked
                       : value == 1 ? Qt::Checked
                                    : Qt::Unchecked);
    return true;
}

std::int16_t stateOf(const QCheckBox *box) {
    return box->checkState() == Qt::Checked ? 1 : box->checkState() == Qt::PartiallyChecked ? 2 : 0;
}

} // namespace

frmOptions::frmOptions(QWidget *parent) : QDialog(parent) {
    setObjectName("frmOptions");
    setWindowTitle("Options");
    // Left through OK or Cancel only: no close, minimise or maximise box.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);

    SSTab1 = new QTabWidget(this);
    SSTab1->setObjectName("SSTab1");
    auto *general = new QWidget;
    cboResults = new QComboBox(general);
    cboResults->setObjectName("cboResults");
    cboResults->addItems({kOutputGrid, kOutputCsv, kOutputFile});
    chkShowResults = new QCheckBox("Show results", general);
    chkShowResults->setObjectName("chkShowResults");
    chkShowPlan = new QCheckBox("Show execution plan", general);
    chkShowPlan->setObjectName("chkShowPlan");
    txtMaxRecords = new QLineEdit(general);
    txtMaxRecords->setObjectName("txtMaxRecords");
    txtMaxRecords->setMaxLength(kMaxRecordsLength);
    NumericKeyFilter::install(txtMaxRecords);
    chkColourCode = new QCheckBox("Colour code script keywords", general);
    chkColourCode->setObjectName("chkColourCode");
    auto *generalLayout = new QFormLayout(general);
    generalLayout->addRow("Default Output:", cboResults);
    generalLayout->addRow(chkShowResults);
    generalLayout->addRow(chkShowPlan);
    generalLayout->addRow("Record Limit:", txtMaxRecords);
    generalLayout->addRow(chkColourCode);
    SSTab1->addTab(general, "General");

    auto *query = new QWidget;
    txtDefaultText = new QPlainTextEdit(query);
    txtDefaultText->setObjectName("txtDefaultText");
    txtDefaultText->setTabChangesFocus(true);
    auto *queryLabel = new QLabel("Default script for new queries:", query);
    queryLabel->setBuddy(txtDefaultText);
    auto *queryLayout = new QVBoxLayout(query);
    queryLayout->addWidget(queryLabel);
    queryLayout->addWidget(txtDefaultText);
    SSTab1->addTab(query, "Query");
    connect(txtDefaultText, &QPlainTextEdit::textChanged, this, &frmOptions::limitDefaultText);

    const DialogButtons buttons = makeDialogButtons(this, "OK", "Cancel");
    cmdOK = buttons.ok;
    cmdCancel = buttons.cancel;
    connect(cmdOK, &QPushButton::clicked, this, &frmOptions::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmOptions::cmdCancel_Click);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(SSTab1);
    layout->addLayout(buttons.row);

    // The controls' state before the options fill them: the defaults.
    const AppOptionsRecord defaults;
    chkShowResults->setChecked(defaults.ShowResults != 0);
    chkShowPlan->setChecked(defaults.ShowEP != 0);
    chkColourCode->setChecked(defaults.ColourCodeScript != 0);
    loadOptions();
}

void frmOptions::loadOptions() {
    const int item = cboResults->findText(AppOptions.OutputResults, Qt::MatchFixedString);
    const bool filled = [&] {
        if (item < 0)
            return false;
        cboResults->setCurrentIndex(item);
        if (!setState(chkShowResults, AppOptions.ShowResults) ||
            !setState(chkShowPlan, AppOptions.ShowEP))
            return false;
        txtDefaultText->setPlainText(AppOptions.QueryTemplate);
        txtMaxRecords->setText(
            AppOptions.RecordLimit == 0 ? QString() : QString::number(AppOptions.RecordLimit));
        return setState(chkColourCode, AppOptions.ColourCodeScript);
    }();
    if (!filled)
        cboResults->setCurrentIndex(0);
}

void frmOptions::limitDefaultText() {
    const QString text = txtDefaultText->toPlainText();
    if (text.size() > kDefaultTextLength) {
        QSignalBlocker block(txtDefaultText);
        txtDefaultText->setPlainText(text.left(kDefaultTextLength));
        txtDefaultText->moveCursor(QTextCursor::End);
    }
}

void frmOptions::showEvent(QShowEvent *event) {
    QDialog::showEvent(event);
    Centre_Form(this);
}

void frmOptions::cmdOK_Click() {
    AppOptions.OutputResults = cboResults->currentText();
    AppOptions.ShowResults = stateOf(chkShowResults);
    AppOptions.ShowEP = stateOf(chkShowPlan);
    AppOptions.QueryTemplate = txtDefaultText->toPlainText();
    AppOptions.RecordLimit = roundToInt32(leadingNumber(txtMaxRecords->text())).value_or(0);
    AppOptions.ColourCodeScript = stateOf(chkColourCode);
    Save_Options(AppOptions);
    cancelled_ = false;
    accept();
}

void frmOptions::cmdCancel_Click() {
    cancelled_ = true;
    QDialog::reject();
}

void frmOptions::reject() {
    cmdCancel_Click();
}

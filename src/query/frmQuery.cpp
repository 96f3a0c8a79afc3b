#include "frmQuery.h"

#include "QueryDocument.h"
#include "QueryRunner.h"
#include "RecoveryStore.h"
#include "ResultGrid.h"
#include "common/BusyCursor.h"
#include "common/ErrorReport.h"
#include "common/Icons.h"
#include "common/Twips.h"
#include "common/frmTrace.h"
#include "editor/SqlEditor.h"
#include "editor/SqlHighlighter.h"
#include "settings/AppOptions.h"
#include "settings/modFunctions.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QTabBar>
#include <QTextEdit>
#include <QTreeWidget>

namespace {

QWidget *panel(QWidget *parent, const char *name) {
    auto *widget = new QWidget(parent);
    widget->setObjectName(name);
    return widget;
}

} // namespace

frmQuery::frmQuery(QWidget *parent) : QWidget(parent), document_(new QueryDocument(this)) {
    // A named document titles its window with its file.
    connect(document_, &QueryDocument::fileNameChanged, this, [this](const QString &name) {
        if (!name.isEmpty())
            setWindowTitle("Query - " + name);
        emit fileNameChanged(name);
    });
    buildControls();
    runner_ = std::make_unique<QueryRunner>(*this);
    connect(runner_.get(), &QueryRunner::runningChanged, this, &frmQuery::runningChanged);
    Form_Load();
}

frmQuery::~frmQuery() {
    // A running batch ends before the controls it reports to go.
    runner_->stopAndWait();
}

void frmQuery::buildControls() {
    setObjectName("frmQuery");
    setAttribute(Qt::WA_DeleteOnClose);

    chkShowResults = new QCheckBox("Show Results", this);
    chkShowResults->setObjectName("chkShowResults");
    chkShowPlan = new QCheckBox("Show Execution Plan", this);
    chkShowPlan->setObjectName("chkShowPlan");
    cboResults = new QComboBox(this);
    cboResults->setObjectName("cboResults");
    cboResults->setAccessibleName("Output");
    cboResults->addItems({kOutputGrid, kOutputCsv, kOutputFile});
    Label1 = new QLabel("Record Limit:", this);
    Label1->setObjectName("Label1");
    txtMaxRecords = new QLineEdit(this);
    txtMaxRecords->setObjectName("txtMaxRecords");
    txtMaxRecords->setAccessibleName("Record Limit:");
    NumericKeyFilter::install(txtMaxRecords);
    Label1->setBuddy(txtMaxRecords);

    // The option strip along the top, left to right.
    int x = 60;
    const auto strip = [&](QWidget *widget, int widthTwips) {
        widget->setGeometry(bm::twipsToPixels(x), bm::twipsToPixels(40),
                            bm::twipsToPixels(widthTwips), bm::twipsToPixels(300));
        x += widthTwips + 60;
    };
    strip(chkShowResults, 1500);
    strip(chkShowPlan, 2200);
    strip(cboResults, 2900);
    strip(Label1, 1300);
    strip(txtMaxRecords, 1000);

    picPanelLeft = panel(this, "picPanelLeft");
    imgSplitter = panel(this, "imgSplitter");
    picSplitter = panel(this, "picSplitter");
    picPanelTopRight = panel(this, "picPanelTopRight");
    txtSQL = new SqlEditor(picPanelTopRight);
    txtSQL->setObjectName("txtSQL");
    txtSQL->setAccessibleName("SQL editor");
    applyColourOption();
    // Every change of the text marks the window as changed, clearing it included.
    connect(txtSQL, &QPlainTextEdit::textChanged, this, [this] { setUnSavedChanges(true); });
    // Unsaved text survives a crash: it is kept on disk until saved or let go.
    new WindowRecovery(txtSQL, document_, this);
    picPanelTopRight->installEventFilter(this);

    imgSplitterVertical = panel(this, "imgSplitterVertical");
    imgSplitterVertical->setCursor(Qt::SizeVerCursor);
    imgSplitterVertical->installEventFilter(this);
    picSplitterVertical = panel(this, "picSplitterVertical");
    picSplitterVertical->setAutoFillBackground(true);
    picSplitterVertical->setStyleSheet("background: grey;");
    picSplitterVertical->hide();

    picPanelBottomRight = panel(this, "picPanelBottomRight");
    picPanelBottomRight->installEventFilter(this);
    TabStrip1 = new QTabBar(picPanelBottomRight);
    TabStrip1->setObjectName("TabStrip1");
    TabStrip1->setAccessibleName("Output tabs");
    TabStrip1->setShape(QTabBar::RoundedSouth);
    TabStrip1->setExpanding(false);
    grdResults = new ResultGrid(picPanelBottomRight);
    grdResults->setObjectName("grdResults");
    grdResults->setAccessibleName("Results grid");
    txtResults = new QPlainTextEdit(picPanelBottomRight);
    txtResults->setObjectName("txtResults");
    txtResults->setAccessibleName("Results text");
    txtResults->setReadOnly(true);
    txtResults->setLineWrapMode(QPlainTextEdit::NoWrap);
    txtMessage = new QPlainTextEdit(picPanelBottomRight);
    txtMessage->setObjectName("txtMessage");
    txtMessage->setAccessibleName("Messages");
    txtMessage->setReadOnly(true);
    lvwStats = new QTreeWidget(picPanelBottomRight);
    lvwStats->setObjectName("lvwStats");
    lvwStats->setAccessibleName("Statistics");
    lvwStats->setColumnCount(2);
    lvwStats->setHeaderLabels({"Item", "Value"});
    lvwStats->setRootIsDecorated(false);
    lvwStats->header()->resizeSection(0, bm::twipsToPixels(2500));
    grdEP = new ResultGrid(picPanelBottomRight);
    grdEP->setObjectName("grdEP");
    grdEP->setAccessibleName("Execution plan");

    // The tabs as designed; the results and plan tabs come and go with their check boxes.
    addTab(1, "results", "Results", "results");
    addTab(2, "messages", "Messages", "");
    addTab(3, "statistics", "Statistics", "stats");
    addTab(4, "ep", "Execution Plan", "ep");
    connect(TabStrip1, &QTabBar::currentChanged, this, [this] { TabStrip1_Click(); });

    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName("StatusBar1");
    StatusBar1->setSizeGripEnabled(false);
    for (int i = 1; i <= 6; ++i) {
        auto *label = new QLabel(StatusBar1);
        label->setObjectName(QString("StatusBar1Panel%1").arg(i));
        if (i == 1) {
            // The progress text takes the room left; in a narrow window it is cut short rather
            // than drawn over the panels beside it.
            label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
        } else {
            label->setMinimumWidth(bm::twipsToPixels(900));
        }
        static const char *const roles[] = {"Progress", "Rows",      "Record limit",
                                            "Unused",   "Caps Lock", "Num Lock"};
        label->setAccessibleDescription(roles[i - 1]);
        StatusBar1->addWidget(label, i == 1 ? 1 : 0);
        panels_.append(label);
    }
    panels_[1]->setProperty("key", "reccount");
    panels_[2]->setText("All Rows");
    // The lock state cannot be read on every platform: the indicators are shown dimmed.
    panels_[4]->setText("CAPS");
    panels_[5]->setText("NUM");
    panels_[4]->setEnabled(false);
    panels_[5]->setEnabled(false);

    // On every change of the value, however it is changed: a click, Space, or an assistive
    // tool's toggle action.
    connect(chkShowResults, &QCheckBox::stateChanged, this, [this] { chkShowResults_Click(); });
    connect(chkShowPlan, &QCheckBox::stateChanged, this, [this] { chkShowPlan_Click(); });
    connect(cboResults, qOverload<int>(&QComboBox::activated), this,
            [this] { cboResults_Click(); });
    connect(txtMaxRecords, &QLineEdit::textChanged, this, [this] { txtMaxRecords_Change(); });

    layout_ = std::make_unique<QueryWindowLayout>(QueryWindowParts{
        this, picPanelLeft, imgSplitter, picSplitter, picPanelTopRight, imgSplitterVertical,
        picSplitterVertical, picPanelBottomRight, StatusBar1});
}

void frmQuery::Form_Load() {
    resize(bm::twipsToPixels(8460), bm::twipsToPixels(6000));
    setMinimumWidth(bm::twipsToPixels(QueryWindowLayout::kMinimumWidth));
    bm::BusyCursor busy;
    // Layout: the editor below the option strip, the splitter at 2000.
    layout_->editorPanel.moveTop(QueryWindowLayout::kEditorTop);
    int left = 0, splitter = QueryWindowLayout::kInitialSplitter;
    layout_->Size_Panels_Horizontally(left);
    layout_->Size_Panels_Vertically(splitter);
    setMaxRecords(0);
    Reset();
    cboResults->setCurrentIndex(0);
    busy.done();

    // The user's options; a step that fails falls back to the grid and goes on.
    const auto fallBack = [this] { cboResults->setCurrentIndex(0); };
    const int item = cboResults->findText(AppOptions.OutputResults, Qt::MatchFixedString);
    if (item >= 0)
        cboResults->setCurrentIndex(item);
    else
        fallBack();
    if (AppOptions.ShowResults >= 0 && AppOptions.ShowResults <= 2)
        chkShowResults->setCheckState(AppOptions.ShowResults == 0 ? Qt::Unchecked : Qt::Checked);
    else
        fallBack();
    chkShowResults_Click();
    if (AppOptions.ShowEP >= 0 && AppOptions.ShowEP <= 2)
        chkShowPlan->setCheckState(AppOptions.ShowEP == 0 ? Qt::Unchecked : Qt::Checked);
    else
        fallBack();
    chkShowPlan_Click();
    txtMaxRecords->setText(QString::number(AppOptions.RecordLimit));
    if (AppOptions.RecordLimit < 0)
        fallBack();
    TabStrip1->setCurrentIndex(0);
    TabStrip1_Click();
    txtSQL->setPlainText(AppOptions.QueryTemplate + "\r\n");
    setUnSavedChanges(false); // the window's own starting text is no change of the user's
    txtSQL->setFocus();
    txtSQL->selectAll();
}

void frmQuery::Run_Queries() {
    runner_->Run_Queries();
}

void frmQuery::Cancel_Query() {
    runner_->Cancel_Query();
}

bool frmQuery::running() const {
    return runner_->running();
}

void frmQuery::setFileName(const QString &name) {
    document_->setFileName(name);
}

void frmQuery::setMaxRecords(std::int32_t value) {
    maxRecords_ = value;
    panels_[2]->setText(value != 0 ? QString::number(value) + " Record Restriction  "
                                   : QString("No Record Restriction  "));
}

void frmQuery::txtMaxRecords_Change() {
    setMaxRecords(roundToInt32(leadingNumber(txtMaxRecords->text())).value_or(0));
}

void frmQuery::Add_Message(const QString &text) {
    if (text.isEmpty()) {
        txtMessage->clear();
    } else {
        // A line break, then the message, added at the end without rewriting the pane.
        QTextCursor end(txtMessage->document());
        end.movePosition(QTextCursor::End);
        end.insertText("\n" + text);
    }
    txtMessage->raise();
}

void frmQuery::Reset() {
    runReporting("..frmQuery.Reset", [&] {
        grdResults->grid()->resetToOneCell();
        grdEP->grid()->resetToOneCell();
        txtResults->clear();
        txtMessage->clear();
        panels_[0]->clear();
        panels_[1]->clear();
        lvwStats->clear();
    });
}

QString frmQuery::selectedTabKey() const {
    const int index = TabStrip1->currentIndex();
    return index < 0 ? QString() : TabStrip1->tabData(index).toString();
}

QStringList frmQuery::tabKeys() const {
    QStringList keys;
    for (int i = 0; i < TabStrip1->count(); ++i)
        keys << TabStrip1->tabData(i).toString();
    return keys;
}

bool frmQuery::selectTab(const QString &key) {
    const int index = tabKeys().indexOf(key, 0);
    if (index < 0)
        return false;
    selectTabIndex(index);
    return true;
}

void frmQuery::selectTabIndex(int index) {
    // Selecting a tab shows its pane, also when it was already the selected one.
    if (TabStrip1->currentIndex() == index)
        TabStrip1_Click();
    else
        TabStrip1->setCurrentIndex(index);
}

bool frmQuery::addTab(int position, const QString &key, const QString &caption,
                      const QString &image) {
    if (tabKeys().contains(key))
        return false; // a key that already exists: the tab is never duplicated
    const QSignalBlocker block(TabStrip1);
    const int index = TabStrip1->insertTab(std::clamp(position - 1, 0, TabStrip1->count()),
                                           image.isEmpty() ? QIcon() : iconFor(image), caption);
    TabStrip1->setTabData(index, key);
    return true;
}

bool frmQuery::removeTab(const QString &key) {
    const int index = tabKeys().indexOf(key);
    if (index < 0)
        return false;
    const QSignalBlocker block(TabStrip1);
    TabStrip1->removeTab(index);
    return true;
}

QWidget *frmQuery::visiblePane() const {
    for (QWidget *pane : {static_cast<QWidget *>(txtResults), static_cast<QWidget *>(grdResults),
                          static_cast<QWidget *>(grdEP), static_cast<QWidget *>(lvwStats),
                          static_cast<QWidget *>(txtMessage)})
        if (!pane->isHidden())
            return pane;
    return nullptr;
}

void frmQuery::TabStrip1_Click() {
    runReporting("..frmQuery.TabStrip1_Click", [&] {
        for (QWidget *pane : {static_cast<QWidget *>(txtResults),
                              static_cast<QWidget *>(grdResults), static_cast<QWidget *>(grdEP),
                              static_cast<QWidget *>(lvwStats), static_cast<QWidget *>(txtMessage)})
            pane->hide();
        const QString key = selectedTabKey().toLower();
        QWidget *shown = nullptr;
        if (key == "results")
            shown = cboResults->currentText().compare(kOutputGrid, Qt::CaseInsensitive) == 0
                        ? static_cast<QWidget *>(grdResults)
                        : static_cast<QWidget *>(txtResults);
        else if (key == "messages")
            shown = txtMessage;
        else if (key == "statistics")
            shown = lvwStats;
        else if (key == "ep")
            shown = grdEP;
        if (shown) {
            shown->show();
            shown->raise();
        }
    });
}

void frmQuery::chkShowResults_Click() {
    if (chkShowResults->checkState() == Qt::Checked) {
        addTab(1, "results", "Results", "results");
        selectTab("results");
    } else {
        removeTab("results");
        selectTab("messages");
    }
}

void frmQuery::chkShowPlan_Click() {
    if (chkShowPlan->checkState() == Qt::Checked) {
        addTab(TabStrip1->count() + 1, "ep", "Execution Plan", "ep");
        selectTab("ep");
    } else {
        removeTab("ep");
        selectTabIndex(TabStrip1->count() - 1);
    }
}

void frmQuery::cboResults_Click() {
    runReporting("..frmQuery.cboResults_Click", [&] {
        if (TabStrip1->currentIndex() == 0) {
            if (cboResults->currentIndex() == 0) {
                txtResults->hide();
                grdResults->show();
                grdResults->raise();
            } else if (cboResults->currentIndex() == 1) {
                grdResults->hide();
                txtResults->show();
                txtResults->raise();
            }
        }
        emit outputChoiceShown(cboResults->currentText());
        Reset();
    });
}

void frmQuery::Clear_Window() {
    txtSQL->clearText();
}

void frmQuery::applyColourOption() {
    txtSQL->highlighter()->setColouring(AppOptions.ColourCodeScript == 1);
}

namespace {

// The window's own keys, with exactly these modifiers: Ctrl+F12 empties the editor, Ctrl+Shift+F8
// shows the trace window.
enum class WindowKey { None, ClearEditor, ShowTrace, Cancel };

// Esc stops the window's running batch; otherwise it is left to the control.
WindowKey windowKey(const QKeyEvent *key, bool running) {
    const Qt::KeyboardModifiers modifiers = key->modifiers() & ~Qt::KeypadModifier;
    if (running && key->key() == Qt::Key_Escape && modifiers == Qt::NoModifier)
        return WindowKey::Cancel;
    if (key->key() == Qt::Key_F12 && modifiers == Qt::ControlModifier)
        return WindowKey::ClearEditor;
    if (key->key() == Qt::Key_F8 && modifiers == (Qt::ControlModifier | Qt::ShiftModifier))
        return WindowKey::ShowTrace;
    return WindowKey::None;
}

} // namespace

bool frmQuery::event(QEvent *event) {
    // The window takes its keys before any shortcut of the main window, whichever of its
    // controls has the focus.
    if (event->type() == QEvent::ShortcutOverride &&
        windowKey(static_cast<QKeyEvent *>(event), running()) != WindowKey::None) {
        event->accept();
        return true;
    }
    return QWidget::event(event);
}

void frmQuery::keyPressEvent(QKeyEvent *event) {
    switch (windowKey(event, running())) {
    case WindowKey::Cancel:
        Cancel_Query();
        break;
    case WindowKey::ClearEditor:
        Clear_Window();
        break;
    case WindowKey::ShowTrace:
        Show_Trace();
        break;
    case WindowKey::None:
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
}

void frmQuery::Form_Activate() {
    emit outputChoiceShown(cboResults->currentText());
    txtSQL->setFocus();
    QTextCursor cursor = txtSQL->textCursor();
    cursor.movePosition(QTextCursor::End);
    txtSQL->setTextCursor(cursor);
}

QLabel *frmQuery::statusPanel(int index) const {
    return index >= 1 && index <= panels_.size() ? panels_[index - 1] : nullptr;
}

QLabel *frmQuery::statusPanel(const QString &key) const {
    for (QLabel *label : panels_)
        if (label->property("key").toString().compare(key, Qt::CaseInsensitive) == 0)
            return label;
    return nullptr;
}

void frmQuery::Load_Recordset_Into_Grid(std::shared_ptr<const bm::db::Recordset> recordset,
                                        ResultGrid *grid, bool keepCount) {
    if (!recordset || !grid)
        return;
    grid->setUpdatesEnabled(false);
    grid->grid()->loadRecordset(std::move(recordset));
    Size_Grid_Columns(grid);
    grid->setUpdatesEnabled(true);
    grid->viewport()->update();
    if (keepCount)
        runner_->figures.RecordCount = QString::number(grid->Rows() - 1);
}

void frmQuery::Size_Grid_Columns(ResultGrid *grid) {
    const QFontMetrics metrics(font());
    const int extra = bm::twipsToPixels(400);
    for (int col = 0; col < grid->Cols(); ++col)
        grid->setColWidth(col, metrics.horizontalAdvance(grid->grid()->longestText(col)) + extra);
    grid->setColWidth(0, 0);
}

void frmQuery::resizeEvent(QResizeEvent *event) {
    QWidget::resizeEvent(event);
    layout_->windowResized();
}

void frmQuery::layOutOutputPanel() {
    const int w = bm::pixelsToTwips(picPanelBottomRight->width());
    const int h = bm::pixelsToTwips(picPanelBottomRight->height());
    const auto px = [](int twips) { return bm::twipsToPixels(twips); };
    // The tabs sit in the panel's lowest 500 twips, which the panes leave uncovered.
    TabStrip1->setGeometry(px(30), px(std::max(0, h - 500)), px(std::max(0, w - 130)),
                           std::min(px(480), TabStrip1->sizeHint().height()));
    const QRect pane(px(45), 0, px(std::max(0, w - 180)), px(std::max(0, h - 500)));
    for (QWidget *widget : {static_cast<QWidget *>(grdResults), static_cast<QWidget *>(grdEP),
                            static_cast<QWidget *>(txtResults), static_cast<QWidget *>(txtMessage),
                            static_cast<QWidget *>(lvwStats)})
        widget->setGeometry(pane);
}

bool frmQuery::eventFilter(QObject *watched, QEvent *event) {
    if (watched == picPanelTopRight && event->type() == QEvent::Resize) {
        txtSQL->setGeometry(0, 0, std::max(0, picPanelTopRight->width() - bm::twipsToPixels(70)),
                            picPanelTopRight->height());
    } else if (watched == picPanelBottomRight && event->type() == QEvent::Resize) {
        layOutOutputPanel();
    } else if (watched == imgSplitterVertical) {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (event->type() == QEvent::MouseButtonPress) {
            layout_->splitterDown();
            return true;
        }
        if (event->type() == QEvent::MouseMove) {
            layout_->splitterMove(bm::pixelsToTwips(qRound(mouse->position().y())));
            return true;
        }
        if (event->type() == QEvent::MouseButtonRelease) {
            layout_->splitterUp();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

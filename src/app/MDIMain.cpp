#include "MDIMain.h"

#include "HelpWindow.h"
#include "HistoryPanel.h"
#include "SplitterBar.h"
#include "browser/DictionaryTree.h"
#include "browser/SchemaTree.h"
#include "common/CentreForm.h"
#include "common/ErrorReport.h"
#include "common/Icons.h"
#include "common/Prompt.h"
#include "common/Twips.h"
#include "common/frmTrace.h"
#include "db/frmLogin.h"
#include "db/modDatabase.h"
#include "editor/SqlEditor.h"
#include "favourites/FavouritesTree.h"
#include "frmAbout.h"
#include "query/RecoveryStore.h"
#include "query/ResultGrid.h"
#include "query/frmQuery.h"
#include "settings/OptionsFile.h"
#include "settings/frmOptions.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPlainTextEdit>
#include <QSessionManager>
#include <QStatusBar>
#include <QStyle>
#include <QTabBar>
#include <QTabWidget>
#include <QTextEdit>
#include <QToolButton>
#include <QTreeWidget>

MDIMain::MDIMain(QWidget *parent)
    : QMainWindow(parent),
      documents_({[this] { return New_Query(); }, [this] { return queryWindows(); }, this}) {
    setObjectName("MDIMain");
    setWindowIcon(iconFor("brindlemark"));
    buildMenus();
    buildToolbar();
    buildLeftPanel();
    buildStatusBar();
    favourites_ = new FavouritesTree(trvQueries, findChild<QMenu *>("mnuPopup2"),
                                     action("mnuPopup2OpenQuery"), this);
    connect(favourites_, &FavouritesTree::openFile, this, &MDIMain::Open_File);
    auto *popup1 = findChild<QMenu *>("mnuPopup1");
    auto *schema = new SchemaTree(trvObjects, popup1, action("mnuPopup1Open"), this);
    auto *dictionary = new DictionaryTree(trvDictionary, popup1, action("mnuPopup1Open"), this);
    const auto openSql = [this](const QString &sql) { documents_.openTable(sql); };
    connect(schema, &SchemaTree::openSql, this, openSql);
    connect(dictionary, &DictionaryTree::openSql, this, openSql);
    // A statement from the history goes into the active query window at the cursor, or into a
    // new one.
    connect(history_, &HistoryPanel::openStatement, this,
            [this](const QString &statement, bool newWindow) {
                frmQuery *query = newWindow ? nullptr : activeQuery();
                if (!query) {
                    query = New_Query();
                    if (!query)
                        return;
                    query->txtSQL->setPlainText(statement);
                } else {
                    query->txtSQL->insertPlainText(statement);
                }
                query->txtSQL->setFocus();
            });
    // The history tab is read when shown, and again after each batch while it shows.
    connect(tabLeft, &QTabWidget::currentChanged, this, [this](int index) {
        if (tabLeft->widget(index) == history_)
            history_->refresh();
    });
    // The dictionary is read the first time its tab is shown while connected, and kept.
    connect(tabLeft, &QTabWidget::currentChanged, this, [this, dictionary](int index) {
        if (tabLeft->widget(index) == trvDictionary->parentWidget() && Connected() &&
            dictionary->empty())
            dictionary->Load_Dictionary();
    });
    // The desktop session ending asks about changed windows as closing the program does.
    connect(qApp, &QGuiApplication::commitDataRequest, this, [this](QSessionManager &session) {
        if (session.allowsInteraction()) {
            if (!closeAllQueries())
                session.cancel();
            session.release();
        }
    });
    updateCommandStates();
}

MDIMain::~MDIMain() {
    // The query windows go with the main window's base: by then nothing of this class may be
    // reached from their signals or close events.
    mdiArea->disconnect(this);
    for (QMdiSubWindow *sub : mdiArea->subWindowList()) {
        sub->removeEventFilter(this);
        if (sub->widget())
            sub->widget()->disconnect(this);
    }
}

void MDIMain::buildLeftPanel() {
    auto *central = new QWidget(this);
    auto *row = new QHBoxLayout(central);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);

    picLeft = new QWidget(central);
    picLeft->setObjectName("picLeft");
    picLeft->installEventFilter(this);
    tabLeft = new QTabWidget(picLeft);
    tabLeft->setObjectName("tabLeft");
    const auto tree = [this](const char *name, const char *description) {
        auto *page = new QWidget;
        auto *treeWidget = new QTreeWidget(page);
        treeWidget->setObjectName(name);
        treeWidget->setAccessibleName(description);
        treeWidget->setHeaderHidden(true);
        return std::make_pair(page, treeWidget);
    };
    auto [objectsPage, objects] = tree("trvObjects", "Schema Objects");
    auto [dictionaryPage, dictionary] = tree("trvDictionary", "Dictionary");
    auto [queriesPage, queries] = tree("trvQueries", "Favorites");
    trvObjects = objects;
    trvDictionary = dictionary;
    trvQueries = queries;
    tabLeft->addTab(objectsPage, "Schema Objects");
    tabLeft->addTab(dictionaryPage, "Dictionary");
    tabLeft->addTab(queriesPage, "Favorites");
    history_ = new HistoryPanel(QueryHistory::instance());
    tabLeft->addTab(history_, "History");

    picVBar = new SplitterBar(central);
    connect(picVBar, &SplitterBar::pressed, this, [this] { Dragging = true; });
    connect(picVBar, &SplitterBar::released, this, [this] { Dragging = false; });
    connect(picVBar, &SplitterBar::moved, this, [this](int x) {
        if (!Dragging)
            return;
        const int width = bm::pixelsToTwips(picLeft->width()) + x;
        picLeft->setFixedWidth(
            bm::twipsToPixels(width <= kBrowserMinimumWidth ? kBrowserMinimumWidth : width));
    });

    mdiArea = new QMdiArea(central);
    mdiArea->setObjectName("mdiArea");
    mdiArea->setAccessibleName("Query windows");
    mdiArea->setOption(QMdiArea::DontMaximizeSubWindowOnActivation);
    mdiArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    mdiArea->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    connect(mdiArea, &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow *sub) {
        if (auto *query = sub ? qobject_cast<frmQuery *>(sub->widget()) : nullptr)
            query->Form_Activate();
        updateCommandStates();
    });

    row->addWidget(picLeft);
    row->addWidget(picVBar);
    row->addWidget(mdiArea, 1);
    setCentralWidget(central);
}

void MDIMain::buildStatusBar() {
    for (int i = 1; i <= 3; ++i) {
        auto *label = new QLabel(statusBar());
        label->setObjectName(QString("StatusBarPanel%1").arg(i));
        label->setMinimumWidth(bm::twipsToPixels(i == 1 ? 3000 : 1800));
        // A label announces its text; what the panel is for goes in its description.
        label->setAccessibleDescription(i == 1 ? "Status" : i == 2 ? "Service name" : "User name");
        statusBar()->addWidget(label, i == 1 ? 1 : 0);
        statusPanels_.append(label);
    }
}

QLabel *MDIMain::statusPanel(int index) const {
    return index >= 1 && index <= statusPanels_.size() ? statusPanels_[index - 1] : nullptr;
}

void MDIMain::Form_Load() {
    traceWindow(); // created hidden, so the log holds every entry from the first log-on on
    setWindowTitle("Brindlemark");
    Centre_Form(this);
    Initialise_Form();
    show();
    mnuFileConnect_Click();
    restoreUnsavedWork();
    // Files named on the command line (a file manager opening a .sql file) open once logged on.
    if (Connected())
        for (const QString &file : std::exchange(startFiles(), {}))
            Open_File(file);
}

void MDIMain::restoreUnsavedWork() {
    RecoveryStore &store = RecoveryStore::instance();
    const QList<RecoveryStore::Entry> entries = store.leftBehind();
    if (entries.isEmpty())
        return;
    const QString count = entries.size() == 1 ? QString("1 query window")
                                              : QString("%1 query windows").arg(entries.size());
    const auto answer =
        bm::Prompt::current().message(QMessageBox::Question, QMessageBox::Yes | QMessageBox::No,
                                      QCoreApplication::applicationName(),
                                      "Brindlemark did not end normally last time. " + count +
                                          " had unsaved text.\n\nRestore them?");
    if (answer == QMessageBox::Yes) {
        for (const RecoveryStore::Entry &entry : entries) {
            frmQuery *query = New_Query();
            if (!query)
                return; // the files stay for the next start
            query->txtSQL->setPlainText(entry.text);
            query->setFileName(entry.fileName);
            query->setUnSavedChanges(true);
        }
    }
    store.forget(entries);
}

QStringList &MDIMain::startFiles() {
    static QStringList files;
    return files;
}

void MDIMain::Initialise_Form() {
    runReporting("..MDIMain.Initialise_Form", [&] {
        HelpFile = "qrc:/help/index.html";
        OptionsFile = defaultOptionsFilePath();
        setWindowState(windowState() | Qt::WindowMaximized);
        layOutLeftPanel();
        tabLeft->setCurrentIndex(0);
        Read_Options();
        Show_Browser(true);
    });
}

void MDIMain::Show_Browser(bool show) {
    runReporting("..MDIMain.Show_Browser", [&] {
        picLeft->setVisible(show);
        picVBar->setVisible(show);
        if (show)
            picLeft->setFixedWidth(browserWidth());
        action("browser")->setChecked(show);
    });
}

int MDIMain::browserWidth() const {
    // Wide enough for the tab captions, with the 100 twips the tabs leave beside them.
    const int captions = tabLeft->tabBar()->sizeHint().width() + bm::twipsToPixels(100) +
                         2 * tabLeft->style()->pixelMetric(QStyle::PM_DefaultFrameWidth);
    return std::max(bm::twipsToPixels(kBrowserWidth), captions);
}

void MDIMain::layOutLeftPanel() {
    // Each size is applied on its own; one the controls cannot take leaves that control alone.
    const int width = bm::pixelsToTwips(picLeft->width());
    const int height = bm::pixelsToTwips(picLeft->height());
    const int tabHeight = bm::pixelsToTwips(this->height()) - tabLeft->y() - 1000;
    if (tabHeight > 0)
        tabLeft->setFixedHeight(std::min(bm::twipsToPixels(tabHeight), picLeft->height()));
    if (width - 100 > 0)
        tabLeft->setFixedWidth(bm::twipsToPixels(width - 100));
    for (QTreeWidget *tree : {trvObjects, trvDictionary, trvQueries}) {
        const QWidget *page = tree->parentWidget();
        const int treeWidth = bm::twipsToPixels(width - 200);
        const int treeHeight = std::min(bm::twipsToPixels(height - 500), page->height());
        if (treeWidth > 0 && treeHeight > 0)
            tree->setGeometry(bm::twipsToPixels(40), 0, treeWidth, treeHeight);
    }
}

void MDIMain::resizeEvent(QResizeEvent *event) {
    QMainWindow::resizeEvent(event);
    layOutLeftPanel();
}

bool MDIMain::eventFilter(QObject *watched, QEvent *event) {
    if (watched == picLeft && event->type() == QEvent::Resize)
        layOutLeftPanel();
    // The browser button follows the panel however it was shown or hidden.
    if (watched == picLeft && (event->type() == QEvent::Show || event->type() == QEvent::Hide))
        action("browser")->setChecked(!picLeft->isHidden());
    if (event->type() == QEvent::Close)
        if (auto *sub = qobject_cast<QMdiSubWindow *>(watched))
            if (closingQueryWindow(sub, static_cast<QCloseEvent *>(event)))
                return true;
    return QMainWindow::eventFilter(watched, event);
}

frmQuery *MDIMain::activeQuery() const {
    // The current child also while the program is not the active application.
    QMdiSubWindow *sub = mdiArea->currentSubWindow();
    return sub ? qobject_cast<frmQuery *>(sub->widget()) : nullptr;
}

QList<frmQuery *> MDIMain::queryWindows() const {
    QList<frmQuery *> windows;
    for (QMdiSubWindow *sub : mdiArea->subWindowList())
        if (auto *query = qobject_cast<frmQuery *>(sub->widget()))
            windows.append(query);
    return windows;
}

QMdiSubWindow *MDIMain::subWindowOf(frmQuery *query) const {
    for (QMdiSubWindow *sub : mdiArea->subWindowList())
        if (sub->widget() == query)
            return sub;
    return nullptr;
}

void MDIMain::activateSubWindow(QMdiSubWindow *sub) {
    if (sub)
        mdiArea->setActiveSubWindow(sub);
}

void MDIMain::setResultTicks(const QString &choice) {
    if (!choice.isNull())
        tickedChoice_ = choice;
    const struct {
        const QString &text;
        const char *item;
    } ticks[] = {{kOutputCsv, "mnuQueryRText"},
                 {kOutputGrid, "mnuQueryRGrid"},
                 {kOutputFile, "mnuQueryRFile"}};
    for (const auto &tick : ticks) {
        if (tickedChoice_.compare(tick.text, Qt::CaseInsensitive) == 0) {
            for (const auto &other : ticks)
                action(other.item)->setChecked(other.item == tick.item);
            return;
        }
    }
    // No known choice: no item stays ticked by a click alone.
    for (const auto &tick : ticks)
        action(tick.item)->setChecked(false);
}

void MDIMain::arrange(int how) {
    QList<QMdiSubWindow *> windows;
    for (QMdiSubWindow *sub : mdiArea->subWindowList())
        if (!sub->isMinimized())
            windows.append(sub);
    if (windows.isEmpty())
        return;
    const QRect area = mdiArea->viewport()->rect();
    const int n = static_cast<int>(windows.size());
    // Cascaded windows keep a useful size (the toolkit's own cascade shrinks them to their
    // smallest): each steps one title bar down and right from the one before.
    const int step = style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, windows[0]);
    const QSize cascaded(std::max(area.width() * 2 / 3, area.width() - step * (n - 1)),
                         std::max(area.height() * 2 / 3, area.height() - step * (n - 1)));
    for (int i = 0; i < n; ++i) {
        windows[i]->showNormal();
        if (how == 0) {
            const int offset = (step * i) % std::max(1, area.height() - cascaded.height() + 1);
            windows[i]->setGeometry(QRect(QPoint(offset, offset), cascaded));
            windows[i]->raise();
        } else if (how == 1) { // one above the other
            windows[i]->setGeometry(0, area.height() * i / n, area.width(), area.height() / n);
        } else { // side by side
            windows[i]->setGeometry(area.width() * i / n, 0, area.width() / n, area.height());
        }
    }
}

void MDIMain::mnuFileExit_Click() {
    close();
}

void MDIMain::mnuHelpAbout_Click() {
    frmAbout about(this);
    bm::Prompt::current().showDialog(about);
}

void MDIMain::mnuHelpContents_Click() {
    Show_Help(HelpFile);
}

void MDIMain::mnuViewOptions_Click() {
    frmOptions options(this);
    bm::Prompt::current().showDialog(options);
    // Keyword colouring follows the option at once in every open window.
    for (frmQuery *query : queryWindows())
        query->applyColourOption();
}

void MDIMain::closeEvent(QCloseEvent *event) {
    if (!closeAllQueries()) {
        event->ignore(); // Cancel: the program and every window stay open
        return;
    }
    event->accept();
    Close_Application();
}

void Close_Application() {
    Close_Connection();
    for (QWidget *window : QApplication::topLevelWidgets())
        if (window->isVisible() || qobject_cast<frmTrace *>(window))
            window->close();
}

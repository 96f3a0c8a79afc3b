// The main window's menus and toolbar: every item and button, with its caption, shortcut, tool
// tip and name. Items whose behaviour the program does not have yet are disabled.

#include "MDIMain.h"
#include "common/Icons.h"
#include "query/frmQuery.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>
#include <QToolButton>

namespace {

struct MenuItem {
    const char *caption; // "-" for a separator
    const char *name;
    const char *shortcut;
};

struct Menu {
    const char *caption;
    const char *name;
    std::vector<MenuItem> items;
};

const std::vector<Menu> &menuTable() {
    static const std::vector<Menu> menus = {
        {"&File",
         "mnuFile",
         {{"&Connect...", "mnuFileConnect", ""},
          {"&Disconnect", "mnuFileDisconnect", ""},
          {"-", "mnuFilesep0", ""},
          {"&New", "mnuFileNew", "Ctrl+N"},
          {"&Open", "mnuFileOpen", "Ctrl+O"},
          {"&Close", "mnuFileClose", ""},
          {"-", "mnuFileBar1", ""},
          {"&Save", "mnuFileSave", "Ctrl+S"},
          {"Save &As...", "mnuFileSaveAs", ""},
          {"Save A&ll", "mnuFileSaveAll", ""},
          {"-", "mnuFileSep3", ""},
          {"Add to Favourites...", "mnuFileAddFav", ""},
          {"-", "mnuFileBar2", ""},
          {"&Print...", "mnuFilePrint", "Ctrl+P"},
          {"-", "mnuFileBar5", ""},
          {"E&xit", "mnuFileExit", ""}}},
        {"&Edit",
         "mnuEdit",
         {{"Cu&t", "mnuEditCut", ""},
          {"&Copy", "mnuEditCopy", ""},
          {"&Paste", "mnuEditPaste", ""},
          {"-", "mnuEditBar2", ""},
          {"Select &All", "mnuEditDSelectAll", "Ctrl+A"},
          {"Clear Window", "mnuFileEditClearWin", "Ctrl+F12"}}},
        {"&Query",
         "mnuQuery",
         {{"&Execute", "mnuQueryExecute", "F5"},
          {"-", "mnuQuerySep1", ""},
          {"Results in &Grid", "mnuQueryRGrid", "Ctrl+G"},
          {"Results in &Text", "mnuQueryRText", "Ctrl+T"},
          {"Results in &File", "mnuQueryRFile", "Ctrl+F"}}},
        {"&View",
         "mnuView",
         {{"&Refresh", "mnuViewRefresh", ""}, {"&Options...", "mnuViewOptions", ""}}},
        {"&Window",
         "mnuWindow",
         {{"&New Window", "mnuWindowNewWindow", ""},
          {"&Cascade", "mnuWindowCascade", ""},
          {"Tile &Horizontal", "mnuWindowTileHorizontal", ""},
          {"Tile &Vertical", "mnuWindowTileVertical", ""}}},
        {"&Help",
         "mnuHelp",
         {{"&Contents", "mnuHelpContents", ""},
          {"&Search For Help On...", "mnuHelpSearch", ""},
          {"-", "mnuHelpBar1", ""},
          {"&About...", "mnuHelpAbout", ""}}},
    };
    return menus;
}

struct ToolButton {
    const char *key;
    const char *tip;
    const char *image;
};

const ToolButton kToolButtons[] = {
    {"new", "New Query", "newquery"},
    {"open", "Open Query", "open"},
    {"save", "Save Query", "save"},
    {"run", "Execute Query (F5)", "run"},
    {"cut", "Cut (Ctrl+X)", "cut"},
    {"copy", "Copy (Ctrl+C)", "copy"},
    {"paste", "Paste (Ctrl+V)", "paste"},
    {"clear", "Clear Window", "clear"},
    {"undo", "Undo", "undo"},
    {"browser", "Object Browser", "browser"},
};

// The commands that have their behaviour in this build.
const char *const kWorkingItems[] = {"mnuFileConnect",
                                     "mnuQueryExecute",
                                     "mnuQueryRGrid",
                                     "mnuQueryRText",
                                     "mnuQueryRFile",
                                     "mnuFileNew",
                                     "mnuFileExit",
                                     "mnuEditDSelectAll",
                                     "mnuEditCut",
                                     "mnuEditCopy",
                                     "mnuEditPaste",
                                     "mnuFileOpen",
                                     "mnuFileClose",
                                     "mnuFileSave",
                                     "mnuFileSaveAs",
                                     "mnuFileSaveAll",
                                     "mnuViewRefresh",
                                     "mnuFileEditClearWin",
                                     "mnuViewOptions",
                                     "mnuWindowNewWindow",
                                     "mnuWindowCascade",
                                     "mnuWindowTileHorizontal",
                                     "mnuWindowTileVertical",
                                     "mnuHelpContents",
                                     "mnuHelpSearch",
                                     "mnuHelpAbout"};
const char *const kWorkingButtons[] = {"new",  "open",  "save",  "run",  "cut",
                                       "copy", "paste", "clear", "undo", "browser"};

} // namespace

void MDIMain::buildMenus() {
    for (const Menu &menu : menuTable()) {
        QMenu *m = menuBar()->addMenu(menu.caption);
        m->setObjectName(menu.name);
        if (QString(menu.name) == "mnuWindow")
            windowMenu_ = m;
        for (const MenuItem &item : menu.items) {
            QAction *entry =
                QString(item.caption) == "-" ? m->addSeparator() : m->addAction(item.caption);
            entry->setObjectName(item.name);
            if (*item.shortcut)
                entry->setShortcut(QKeySequence(item.shortcut));
            entry->setEnabled(false);
            actions_.insert(item.name, entry);
        }
    }
    for (const char *name : kWorkingItems)
        actions_.value(name)->setEnabled(true);
    for (const char *name : {"mnuQueryRGrid", "mnuQueryRText", "mnuQueryRFile"})
        actions_.value(name)->setCheckable(true);

    // The pop-up menus of the trees, never on the menu bar.
    auto *popup1 = new QMenu(this);
    popup1->setObjectName("mnuPopup1");
    QAction *open = popup1->addAction("Open");
    open->setObjectName("mnuPopup1Open");
    open->setEnabled(false);
    actions_.insert("mnuPopup1Open", open);
    auto *popup2 = new QMenu(this);
    popup2->setObjectName("mnuPopup2");
    QAction *openQuery = popup2->addAction("Open Query");
    openQuery->setObjectName("mnuPopup2OpenQuery");
    openQuery->setEnabled(false);
    actions_.insert("mnuPopup2OpenQuery", openQuery);

    connect(action("mnuFileNew"), &QAction::triggered, this, [this] { New_Query(); });
    connect(action("mnuWindowNewWindow"), &QAction::triggered, this, [this] { New_Query(); });
    connect(action("mnuFileExit"), &QAction::triggered, this, &MDIMain::mnuFileExit_Click);
    connect(action("mnuEditDSelectAll"), &QAction::triggered, this, &MDIMain::SelectAll);
    connect(action("mnuEditCut"), &QAction::triggered, this, &MDIMain::Cut);
    connect(action("mnuEditCopy"), &QAction::triggered, this, &MDIMain::Copy);
    connect(action("mnuEditPaste"), &QAction::triggered, this, &MDIMain::Paste);
    connect(action("mnuFileEditClearWin"), &QAction::triggered, this, &MDIMain::Clear_Window);
    connect(action("mnuFileOpen"), &QAction::triggered, this, &MDIMain::Show_Open_Dialog);
    connect(action("mnuFileClose"), &QAction::triggered, this, &MDIMain::mnuFileClose_Click);
    connect(action("mnuFileSave"), &QAction::triggered, this,
            [this] { Save_File(activeQuery(), false); });
    connect(action("mnuFileSaveAs"), &QAction::triggered, this,
            [this] { Save_File(activeQuery(), true); });
    connect(action("mnuFileSaveAll"), &QAction::triggered, this, &MDIMain::Save_All);
    connect(action("mnuFileAddFav"), &QAction::triggered, this, &MDIMain::Add_To_Favourites);
    connect(action("mnuViewRefresh"), &QAction::triggered, this, &MDIMain::mnuViewRefresh_Click);
    connect(action("mnuViewOptions"), &QAction::triggered, this, &MDIMain::mnuViewOptions_Click);
    connect(action("mnuHelpContents"), &QAction::triggered, this, &MDIMain::mnuHelpContents_Click);
    connect(action("mnuHelpSearch"), &QAction::triggered, this, &MDIMain::mnuHelpContents_Click);
    connect(action("mnuHelpAbout"), &QAction::triggered, this, &MDIMain::mnuHelpAbout_Click);
    // F1 anywhere in the program opens the help at its first page, as the Help menu does.
    auto *helpKey = new QAction("Help", this);
    helpKey->setObjectName("helpKey");
    helpKey->setShortcut(QKeySequence::HelpContents);
    helpKey->setShortcutContext(Qt::ApplicationShortcut);
    connect(helpKey, &QAction::triggered, this, &MDIMain::mnuHelpContents_Click);
    addAction(helpKey);
    connect(action("mnuWindowCascade"), &QAction::triggered, this, [this] { arrange(0); });
    connect(action("mnuWindowTileHorizontal"), &QAction::triggered, this, [this] { arrange(1); });
    connect(action("mnuWindowTileVertical"), &QAction::triggered, this, [this] { arrange(2); });
    connect(windowMenu_, &QMenu::aboutToShow, this, &MDIMain::fillWindowMenu);
    connect(action("mnuFileConnect"), &QAction::triggered, this, &MDIMain::mnuFileConnect_Click);
    connect(action("mnuFileDisconnect"), &QAction::triggered, this,
            &MDIMain::mnuFileDisconnect_Click);
    connect(action("mnuQueryExecute"), &QAction::triggered, this, &MDIMain::mnuQueryExecute_Click);
    connect(action("mnuQueryRGrid"), &QAction::triggered, this, [this] { setOutputChoice(0); });
    connect(action("mnuQueryRText"), &QAction::triggered, this, [this] { setOutputChoice(1); });
    connect(action("mnuQueryRFile"), &QAction::triggered, this, [this] { setOutputChoice(2); });
}

void MDIMain::buildToolbar() {
    Toolbar = addToolBar("Toolbar");
    Toolbar->setObjectName("Toolbar");
    Toolbar->setMovable(false);
    for (const ToolButton &button : kToolButtons) {
        auto *tool = new QToolButton(Toolbar);
        tool->setObjectName(button.key);
        tool->setToolTip(button.tip);
        tool->setAccessibleName(button.tip);
        tool->setIcon(iconFor(button.image));
        tool->setEnabled(false);
        Toolbar->addWidget(tool);
        toolButtons_.insert(button.key, tool);
        const QString key = button.key;
        connect(tool, &QToolButton::clicked, this, [this, key] { Toolbar_ButtonClick(key); });
    }
    for (const char *key : kWorkingButtons)
        toolButtons_.value(key)->setEnabled(true);
    // "new" drops down a menu with the one item "Blank Query Window".
    QToolButton *newButton = toolButtons_.value("new");
    auto *newMenu = new QMenu(newButton);
    QAction *blank = newMenu->addAction("Blank Query Window");
    blank->setObjectName("bqw");
    connect(blank, &QAction::triggered, this, [this] { New_Query(); });
    newButton->setMenu(newMenu);
    newButton->setPopupMode(QToolButton::MenuButtonPopup);
    QToolButton *browser = toolButtons_.value("browser");
    browser->setCheckable(true);
    browser->setChecked(true);
}

void MDIMain::Toolbar_ButtonClick(const QString &key) {
    if (key == "new") {
        New_Query();
    } else if (key == "open") {
        Show_Open_Dialog();
    } else if (key == "save") {
        Save_File(activeQuery(), false);
    } else if (key == "run") {
        mnuQueryExecute_Click();
    } else if (key == "cut") {
        Cut();
    } else if (key == "copy") {
        Copy();
    } else if (key == "paste") {
        Paste();
    } else if (key == "clear") {
        Clear_Window();
    } else if (key == "undo") {
        Undo();
    } else if (key == "browser") {
        Show_Browser(toolButtons_.value("browser")->isChecked());
    }
    // Other keys: their commands are not part of this build yet, and their buttons are disabled.
}

void MDIMain::fillWindowMenu() {
    // The items, then the open query windows; choosing one activates it.
    for (QAction *old : windowMenu_->actions())
        if (old->property("windowListEntry").toBool())
            windowMenu_->removeAction(old), old->deleteLater();
    const QList<frmQuery *> windows = queryWindows();
    if (windows.isEmpty())
        return;
    QAction *separator = windowMenu_->addSeparator();
    separator->setProperty("windowListEntry", true);
    int number = 0;
    for (frmQuery *query : windows) {
        QAction *entry =
            windowMenu_->addAction(QString("&%1 %2").arg(++number).arg(query->windowTitle()));
        entry->setProperty("windowListEntry", true);
        entry->setCheckable(true);
        entry->setChecked(query == activeQuery());
        QMdiSubWindow *sub = subWindowOf(query);
        connect(entry, &QAction::triggered, this, [this, sub] { activateSubWindow(sub); });
    }
}

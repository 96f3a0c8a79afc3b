// The main window's commands: one action per command, shared by its menu item and its toolbar
// button, enabled from the state the command needs (a query window, a file name, a connection).

#include "MDIMain.h"
#include "common/Icons.h"
#include "db/modDatabase.h"
#include "query/frmQuery.h"

#include <QAction>
#include <QLabel>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QToolBar>
#include <QToolButton>

namespace {

struct MenuItem {
    const char *caption; // "-" for a separator
    const char *name;
    const char *shortcut;
    MDIMain::Needs needs;
    void (MDIMain::*run)();
};

struct Menu {
    const char *caption;
    const char *name;
    std::vector<MenuItem> items;
};

struct ToolButton {
    const char *key;
    const char *tip;
    const char *image;
    const char *command; // the menu item whose action the button shares
};

const ToolButton kToolButtons[] = {
    {"new", "New Query", "newquery", "mnuFileNew"},
    {"open", "Open Query", "open", "mnuFileOpen"},
    {"save", "Save Query", "save", "mnuFileSave"},
    {"run", "Execute Query (F5)", "run", "mnuQueryExecute"},
    {"cancel", "Cancel Query", "cancel", "mnuQueryCancel"},
    {"cut", "Cut (Ctrl+X)", "cut", "mnuEditCut"},
    {"copy", "Copy (Ctrl+C)", "copy", "mnuEditCopy"},
    {"paste", "Paste (Ctrl+V)", "paste", "mnuEditPaste"},
    {"clear", "Clear Window", "clear", "mnuFileEditClearWin"},
    {"undo", "Undo", "undo", "undo"},
    {"browser", "Object Browser", "browser", "browser"},
};

} // namespace

void MDIMain::buildMenus() {
    using N = Needs;
    const MenuItem separator{"-", nullptr, "", N::Nothing, nullptr};
    const auto sep = [&](const char *name) {
        MenuItem item = separator;
        item.name = name;
        return item;
    };
    const std::vector<Menu> menus = {
        {"&File",
         "mnuFile",
         {{"&Connect...", "mnuFileConnect", "", N::NoConnection, &MDIMain::mnuFileConnect_Click},
          {"&Disconnect", "mnuFileDisconnect", "", N::Connection,
           &MDIMain::mnuFileDisconnect_Click},
          sep("mnuFilesep0"),
          {"&New", "mnuFileNew", "Ctrl+N", N::Nothing, &MDIMain::mnuFileNew_Click},
          {"&Open", "mnuFileOpen", "Ctrl+O", N::Nothing, &MDIMain::Show_Open_Dialog},
          {"&Close", "mnuFileClose", "", N::QueryWindow, &MDIMain::mnuFileClose_Click},
          sep("mnuFileBar1"),
          {"&Save", "mnuFileSave", "Ctrl+S", N::QueryWindow, &MDIMain::mnuFileSave_Click},
          {"Save &As...", "mnuFileSaveAs", "", N::QueryWindow, &MDIMain::mnuFileSaveAs_Click},
          {"Save A&ll", "mnuFileSaveAll", "", N::QueryWindow, &MDIMain::Save_All},
          sep("mnuFileSep3"),
          {"Add to Favourites...", "mnuFileAddFav", "", N::FileName, &MDIMain::Add_To_Favourites},
          sep("mnuFileBar2"),
          {"&Print...", "mnuFilePrint", "Ctrl+P", N::QueryWindow, &MDIMain::mnuFilePrint_Click},
          {"Print Pre&view...", "mnuFilePrintPreview", "", N::QueryWindow,
           &MDIMain::mnuFilePrintPreview_Click},
          sep("mnuFileBar5"),
          {"E&xit", "mnuFileExit", "", N::Nothing, &MDIMain::mnuFileExit_Click}}},
        {"&Edit",
         "mnuEdit",
         {{"Cu&t", "mnuEditCut", "", N::QueryWindow, &MDIMain::Cut},
          {"&Copy", "mnuEditCopy", "", N::QueryWindow, &MDIMain::Copy},
          {"&Paste", "mnuEditPaste", "", N::QueryWindow, &MDIMain::Paste},
          sep("mnuEditBar2"),
          {"Select &All", "mnuEditDSelectAll", "Ctrl+A", N::QueryWindow, &MDIMain::SelectAll},
          {"Clear Window", "mnuFileEditClearWin", "Ctrl+F12", N::QueryWindow,
           &MDIMain::Clear_Window}}},
        {"&Query",
         "mnuQuery",
         {{"&Execute", "mnuQueryExecute", "F5", N::IdleQueryWindow,
           &MDIMain::mnuQueryExecute_Click},
          {"&Cancel", "mnuQueryCancel", "", N::RunningQueryWindow, &MDIMain::mnuQueryCancel_Click},
          sep("mnuQuerySep1"),
          {"Results in &Grid", "mnuQueryRGrid", "Ctrl+G", N::QueryWindow,
           &MDIMain::mnuQueryRGrid_Click},
          {"Results in &Text", "mnuQueryRText", "Ctrl+T", N::QueryWindow,
           &MDIMain::mnuQueryRText_Click},
          {"Results in &File", "mnuQueryRFile", "Ctrl+F", N::QueryWindow,
           &MDIMain::mnuQueryRFile_Click}}},
        {"&View",
         "mnuView",
         {{"&Refresh", "mnuViewRefresh", "", N::Nothing, &MDIMain::mnuViewRefresh_Click},
          {"&Options...", "mnuViewOptions", "", N::Nothing, &MDIMain::mnuViewOptions_Click}}},
        {"&Window",
         "mnuWindow",
         {{"&New Window", "mnuWindowNewWindow", "", N::Nothing, &MDIMain::mnuFileNew_Click},
          {"&Cascade", "mnuWindowCascade", "", N::QueryWindow, &MDIMain::mnuWindowCascade_Click},
          {"Tile &Horizontal", "mnuWindowTileHorizontal", "", N::QueryWindow,
           &MDIMain::mnuWindowTileHorizontal_Click},
          {"Tile &Vertical", "mnuWindowTileVertical", "", N::QueryWindow,
           &MDIMain::mnuWindowTileVertical_Click}}},
        {"&Help",
         "mnuHelp",
         {{"&Contents", "mnuHelpContents", "", N::Nothing, &MDIMain::mnuHelpContents_Click},
          {"&Search For Help On...", "mnuHelpSearch", "", N::Nothing,
           &MDIMain::mnuHelpContents_Click},
          sep("mnuHelpBar1"),
          {"&About...", "mnuHelpAbout", "", N::Nothing, &MDIMain::mnuHelpAbout_Click}}},
    };

    for (const Menu &menu : menus) {
        QMenu *m = menuBar()->addMenu(menu.caption);
        m->setObjectName(menu.name);
        if (QString(menu.name) == "mnuWindow")
            windowMenu_ = m;
        for (const MenuItem &item : menu.items) {
            if (!item.run) {
                m->addSeparator()->setObjectName(item.name);
                continue;
            }
            QAction *entry = addCommand(item.name, item.caption, item.needs, item.run);
            if (*item.shortcut)
                entry->setShortcut(QKeySequence(item.shortcut));
            m->addAction(entry);
        }
    }
    for (const char *name : {"mnuQueryRGrid", "mnuQueryRText", "mnuQueryRFile"})
        action(name)->setCheckable(true);
    connect(windowMenu_, &QMenu::aboutToShow, this, &MDIMain::fillWindowMenu);

    // Commands of the toolbar alone.
    addCommand("undo", "Undo", N::QueryWindow, &MDIMain::Undo);
    QAction *browser = addCommand("browser", "Object Browser", N::Nothing, nullptr);
    browser->setCheckable(true);
    browser->setChecked(true);
    connect(browser, &QAction::toggled, this, &MDIMain::Show_Browser);

    // F1 anywhere in the program opens the help at its first page, as the Help menu does.
    QAction *helpKey = addCommand("helpKey", "Help", N::Nothing, &MDIMain::mnuHelpContents_Click);
    helpKey->setShortcut(QKeySequence::HelpContents);
    helpKey->setShortcutContext(Qt::ApplicationShortcut);
    addAction(helpKey);

    // The pop-up menus of the trees, never on the menu bar; the trees carry out their Open.
    auto *popup1 = new QMenu(this);
    popup1->setObjectName("mnuPopup1");
    popup1->addAction(addCommand("mnuPopup1Open", "Open", N::Nothing, nullptr));
    auto *popup2 = new QMenu(this);
    popup2->setObjectName("mnuPopup2");
    popup2->addAction(addCommand("mnuPopup2OpenQuery", "Open Query", N::Nothing, nullptr));
}

QAction *MDIMain::addCommand(const QString &name, const QString &caption, Needs needs,
                             void (MDIMain::*run)()) {
    auto *command = new QAction(caption, this);
    command->setObjectName(name);
    if (run)
        connect(command, &QAction::triggered, this, run);
    actions_.insert(name, command);
    needs_.insert(command, needs);
    return command;
}

void MDIMain::updateCommandStates() {
    frmQuery *query = activeQuery();
    const bool connected = Connected();
    // A connection the database dropped (the session closed itself) shows as disconnected; the
    // next Connect logs on afresh.
    if (cnDatabase && !connected && !statusPanel(2)->text().isEmpty() &&
        statusPanel(2)->text() != "DISCONNECTED") {
        statusPanel(2)->setText("DISCONNECTED");
        statusPanel(3)->clear();
    }
    for (auto it = needs_.cbegin(); it != needs_.cend(); ++it) {
        bool enabled = true;
        switch (it.value()) {
        case Needs::Nothing:
            break;
        case Needs::QueryWindow:
            enabled = query != nullptr;
            break;
        case Needs::IdleQueryWindow:
            enabled = query && !query->running();
            break;
        case Needs::RunningQueryWindow:
            enabled = query && query->running();
            break;
        case Needs::FileName:
            enabled = query && !query->FileName().isEmpty();
            break;
        case Needs::Connection:
            enabled = connected;
            break;
        case Needs::NoConnection:
            enabled = !connected;
            break;
        }
        it.key()->setEnabled(enabled);
    }
}

void MDIMain::buildToolbar() {
    Toolbar = addToolBar("Toolbar");
    Toolbar->setObjectName("Toolbar");
    Toolbar->setMovable(false);
    for (const ToolButton &button : kToolButtons) {
        QAction *command = action(button.command);
        command->setToolTip(button.tip);
        command->setIcon(iconFor(button.image));
        auto *tool = new QToolButton(Toolbar);
        tool->setObjectName(button.key);
        tool->setDefaultAction(command);
        tool->setAccessibleName(button.tip);
        Toolbar->addWidget(tool);
        toolButtons_.insert(button.key, tool);
    }
    // "new" drops down a menu with the one item "Blank Query Window".
    QToolButton *newButton = toolButtons_.value("new");
    auto *newMenu = new QMenu(newButton);
    QAction *blank = newMenu->addAction("Blank Query Window");
    blank->setObjectName("bqw");
    connect(blank, &QAction::triggered, this, &MDIMain::mnuFileNew_Click);
    newButton->setMenu(newMenu);
    newButton->setPopupMode(QToolButton::MenuButtonPopup);
}

void MDIMain::Toolbar_ButtonClick(const QString &key) {
    // A key the toolbar does not have does nothing.
    if (QToolButton *button = toolButtons_.value(key))
        button->defaultAction()->trigger();
}

void MDIMain::mnuFileNew_Click() {
    New_Query();
}

void MDIMain::mnuFileSave_Click() {
    Save_File(activeQuery(), false);
}

void MDIMain::mnuFileSaveAs_Click() {
    Save_File(activeQuery(), true);
}

void MDIMain::mnuQueryRGrid_Click() {
    setOutputChoice(0);
}

void MDIMain::mnuQueryRText_Click() {
    setOutputChoice(1);
}

void MDIMain::mnuQueryRFile_Click() {
    setOutputChoice(2);
}

void MDIMain::mnuWindowCascade_Click() {
    arrange(0);
}

void MDIMain::mnuWindowTileHorizontal_Click() {
    arrange(1);
}

void MDIMain::mnuWindowTileVertical_Click() {
    arrange(2);
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
        const QPointer<QMdiSubWindow> sub = subWindowOf(query);
        connect(entry, &QAction::triggered, this, [this, sub] { activateSubWindow(sub); });
    }
}

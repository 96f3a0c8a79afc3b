// The main window's commands: every menu item and toolbar button with its caption, shortcut and
// effect, their enabling, printing, the browser button and the Window menu's list.

#include "LogOnAnswer.h"
#include "RunAndWait.h"
#include "ScriptedPrompt.h"
#include "TestEnvironment.h"
#include "app/HelpWindow.h"
#include "app/MDIMain.h"
#include "app/SplitterBar.h"
#include "common/SelectTextOnFocus.h"
#include "db/DatabaseSession.h"
#include "db/frmLogin.h"
#include "db/modDatabase.h"
#include "editor/SqlEditor.h"
#include "favourites/QueryFiles.h"
#include "query/ResultGrid.h"
#include "query/frmQuery.h"
#include "settings/AppOptions.h"

#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTabWidget>
#include <QToolButton>
#include <QTreeWidget>
#include <QtTest>
#include <functional>

namespace {

HelpWindow *helpWindow() {
    for (QWidget *widget : QApplication::topLevelWidgets())
        if (auto *help = qobject_cast<HelpWindow *>(widget); help && help->isVisible())
            return help;
    return nullptr;
}

void selectRange(QPlainTextEdit *edit, int from, int to) {
    QTextCursor cursor = edit->textCursor();
    cursor.setPosition(from);
    cursor.setPosition(to, QTextCursor::KeepAnchor);
    edit->setTextCursor(cursor);
}

} // namespace

class tst_commands : public QObject {
    Q_OBJECT
    TestEnvironment env;
    ScriptedPrompt prompt;
    std::unique_ptr<MDIMain> main;
    frmQuery *query = nullptr;

    // A main window logged on to the sample database, its one query window holding some SQL,
    // the editor focused.
    void start() {
        prompt.dialogHandlers.enqueue(logOnAnswer());
        main = std::make_unique<MDIMain>();
        main->Form_Load();
        main->show();
        QApplication::setActiveWindow(main.get());
        if (!QTest::qWaitForWindowActive(main.get()))
            QSKIP("the platform gives no active window");
        query = main->activeQuery();
        QVERIFY(query);
        query->txtSQL->setPlainText("SELECT deptno, dname FROM dept");
        query->setUnSavedChanges(false);
        query->txtSQL->setFocus();
        prompt.dialogs.clear();
    }

    // The text of a PDF file, pages separated by form feeds.
    static QString pdfText(const QString &path) {
        if (QStandardPaths::findExecutable("pdftotext").isEmpty())
            return {};
        QProcess process;
        process.start("pdftotext", {"-layout", path, "-"});
        process.waitForFinished(30000);
        return QString::fromUtf8(process.readAllStandardOutput());
    }

    int windowCount() const { return static_cast<int>(main->queryWindows().size()); }

private slots:
    void init() {
        AppOptions = AppOptionsRecord{};
        prompt.messages.clear();
        prompt.dialogs.clear();
        prompt.fileDialogs.clear();
        prompt.printDialogs.clear();
        prompt.dialogHandlers.clear();
        prompt.printAnswers.clear();
    }
    void cleanup() {
        if (main)
            for (frmQuery *window : main->queryWindows())
                window->setUnSavedChanges(false);
        main.reset();
        Close_Connection();
        if (HelpWindow *help = helpWindow())
            help->close();
    }

    // Every item of every menu: its caption, its shortcut, and what it does when chosen with a
    // query window open and the database connected.
    void everyMenuItemDoesItsWork() {
        struct Row {
            const char *name;
            const char *caption;
            const char *shortcut;
            std::function<bool()> chosen; // sets up, triggers, and tells whether it worked
        };
        const auto trigger = [this](const char *name) {
            QAction *item = main->action(name);
            if (!item->isEnabled())
                return false;
            item->trigger();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            return true;
        };
        const auto editor = [this] { return query->txtSQL; };
        const QString sql = "SELECT deptno, dname FROM dept";
        const std::vector<Row> rows = {
            {"mnuFileConnect", "&Connect...", "",
             [&] {
                 trigger("mnuFileDisconnect");
                 return trigger("mnuFileConnect") && prompt.dialogs == QStringList{"frmLogin"};
             }},
            {"mnuFileDisconnect", "&Disconnect", "",
             [&] { return trigger("mnuFileDisconnect") && !main->Connected(); }},
            {"mnuFileNew", "&New", "Ctrl+N",
             [&] { return trigger("mnuFileNew") && windowCount() == 2; }},
            {"mnuFileOpen", "&Open", "Ctrl+O",
             [&] {
                 return trigger("mnuFileOpen") && prompt.fileDialogs.value(0).startsWith("open:");
             }},
            {"mnuFileClose", "&Close", "",
             [&] { return trigger("mnuFileClose") && !windowCount(); }},
            {"mnuFileSave", "&Save", "Ctrl+S",
             [&] {
                 prompt.fileAnswers.enqueue(env.file("saved.sql"));
                 return trigger("mnuFileSave") && QFile::exists(env.file("saved.sql"));
             }},
            {"mnuFileSaveAs", "Save &As...", "",
             [&] {
                 prompt.fileAnswers.enqueue(env.file("saved-as.sql"));
                 return trigger("mnuFileSaveAs") && QFile::exists(env.file("saved-as.sql"));
             }},
            {"mnuFileSaveAll", "Save A&ll", "",
             [&] {
                 query->setUnSavedChanges(true);
                 prompt.fileAnswers.enqueue(env.file("all.sql"));
                 return trigger("mnuFileSaveAll") && QFile::exists(env.file("all.sql"));
             }},
            {"mnuFileAddFav", "Add to Favourites...", "",
             [&] {
                 if (main->action("mnuFileAddFav")->isEnabled())
                     return false; // not before the window has a file
                 query->setFileName(env.file("fav.sql"));
                 return trigger("mnuFileAddFav") && prompt.dialogs == QStringList{"frmFavorites"};
             }},
            {"mnuFilePrint", "&Print...", "Ctrl+P",
             [&] {
                 return trigger("mnuFilePrint") && prompt.printDialogs == QStringList{"print: all"};
             }},
            {"mnuFilePrintPreview", "Print Pre&view...", "",
             [&] {
                 return trigger("mnuFilePrintPreview") &&
                        prompt.printDialogs == QStringList{"preview: all"};
             }},
            {"mnuFileExit", "E&xit", "",
             [&] { return trigger("mnuFileExit") && !main->isVisible(); }},
            {"mnuEditCut", "Cu&t", "",
             [&] {
                 selectRange(editor(), 0, 6);
                 return trigger("mnuEditCut") && QGuiApplication::clipboard()->text() == "SELECT" &&
                        editor()->toPlainText() == sql.mid(6);
             }},
            {"mnuEditCopy", "&Copy", "",
             [&] {
                 selectRange(editor(), 7, 13);
                 return trigger("mnuEditCopy") && QGuiApplication::clipboard()->text() == "deptno";
             }},
            {"mnuEditPaste", "&Paste", "",
             [&] {
                 QGuiApplication::clipboard()->setText("pasted ");
                 selectRange(editor(), 0, 0);
                 return trigger("mnuEditPaste") && editor()->toPlainText() == "pasted " + sql;
             }},
            {"mnuEditDSelectAll", "Select &All", "Ctrl+A",
             [&] {
                 return trigger("mnuEditDSelectAll") &&
                        editor()->textCursor().selectedText() == sql;
             }},
            {"mnuFileEditClearWin", "Clear Window", "Ctrl+F12",
             [&] { return trigger("mnuFileEditClearWin") && editor()->toPlainText().isEmpty(); }},
            {"mnuQueryExecute", "&Execute", "F5",
             [&] {
                 return trigger("mnuQueryExecute") && waitForRun(*query) &&
                        query->grdResults->Rows() == 5 &&
                        query->grdResults->TextMatrix(1, 2) == "ACCOUNTING";
             }},
            {"mnuQueryCancel", "&Cancel", "",
             [&] {
                 if (main->action("mnuQueryCancel")->isEnabled())
                     return false; // nothing runs yet
                 editor()->setPlainText("SELECT COUNT(*) FROM emp a, emp b, emp c, emp d, emp e, "
                                        "emp f, emp g, emp h");
                 trigger("mnuQueryExecute");
                 if (main->action("mnuQueryExecute")->isEnabled())
                     return false; // not twice at once
                 QTest::qWait(100);
                 return trigger("mnuQueryCancel") && waitForRun(*query, 5000) &&
                        query->txtMessage->toPlainText().contains("Query cancelled.") &&
                        query->statusPanel(1)->text() == "Query batch complete with errors.";
             }},
            {"mnuQueryRGrid", "Results in &Grid", "Ctrl+G",
             [&] {
                 query->cboResults->setCurrentIndex(1);
                 return trigger("mnuQueryRGrid") && query->cboResults->currentIndex() == 0;
             }},
            {"mnuQueryRText", "Results in &Text", "Ctrl+T",
             [&] { return trigger("mnuQueryRText") && query->cboResults->currentIndex() == 1; }},
            {"mnuQueryRFile", "Results in &File", "Ctrl+F",
             [&] { return trigger("mnuQueryRFile") && query->cboResults->currentIndex() == 2; }},
            {"mnuViewRefresh", "&Refresh", "",
             [&] {
                 // The favourites tree, focused, reads the list again.
                 QString why;
                 appendFavourite(favouritesFilePath(), "Later", env.file("later.sql"), &why);
                 main->tabLeft->setCurrentIndex(2);
                 main->trvQueries->setFocus();
                 return trigger("mnuViewRefresh") &&
                        !main->trvQueries->findItems("Later", Qt::MatchRecursive).isEmpty();
             }},
            {"mnuViewOptions", "&Options...", "",
             [&] {
                 return trigger("mnuViewOptions") && prompt.dialogs == QStringList{"frmOptions"};
             }},
            {"mnuWindowNewWindow", "&New Window", "",
             [&] { return trigger("mnuWindowNewWindow") && windowCount() == 2; }},
            {"mnuWindowCascade", "&Cascade", "",
             [&] {
                 main->New_Query();
                 trigger("mnuWindowTileVertical");
                 const QList<QMdiSubWindow *> subs = main->mdiArea->subWindowList();
                 // Each window keeps a useful size, the second one step down and right.
                 return trigger("mnuWindowCascade") && subs[1]->x() > subs[0]->x() &&
                        subs[1]->y() > subs[0]->y() &&
                        subs[0]->width() >= main->mdiArea->viewport()->width() * 2 / 3 &&
                        subs[1]->height() >= main->mdiArea->viewport()->height() * 2 / 3;
             }},
            {"mnuWindowTileHorizontal", "Tile &Horizontal", "",
             [&] {
                 main->New_Query();
                 const QList<QMdiSubWindow *> subs = main->mdiArea->subWindowList();
                 return trigger("mnuWindowTileHorizontal") && subs[0]->x() == subs[1]->x() &&
                        subs[0]->y() != subs[1]->y();
             }},
            {"mnuWindowTileVertical", "Tile &Vertical", "",
             [&] {
                 main->New_Query();
                 const QList<QMdiSubWindow *> subs = main->mdiArea->subWindowList();
                 return trigger("mnuWindowTileVertical") && subs[0]->y() == subs[1]->y() &&
                        subs[0]->x() != subs[1]->x();
             }},
            {"mnuHelpContents", "&Contents", "",
             [&] { return trigger("mnuHelpContents") && helpWindow(); }},
            {"mnuHelpSearch", "&Search For Help On...", "",
             [&] { return trigger("mnuHelpSearch") && helpWindow(); }},
            {"mnuHelpAbout", "&About...", "",
             [&] { return trigger("mnuHelpAbout") && prompt.dialogs == QStringList{"frmAbout"}; }},
        };

        // Every item on the menu bar is in the table.
        QStringList onMenus;
        for (const Row &row : rows) {
            init();
            start();
            if (QTest::currentTestFailed())
                return;
            if (onMenus.isEmpty())
                for (QAction *menu : main->menuBar()->actions())
                    for (QAction *item : menu->menu()->actions())
                        if (!item->isSeparator() && !item->objectName().isEmpty())
                            onMenus << item->objectName();
            QAction *item = main->action(row.name);
            QVERIFY2(item, row.name);
            QCOMPARE(item->text(), QString(row.caption));
            QCOMPARE(item->shortcut().toString(), QString(row.shortcut));
            QVERIFY2(row.chosen(), row.name);
            onMenus.removeAll(row.name);
            cleanup();
        }
        QVERIFY2(onMenus.isEmpty(), qPrintable(onMenus.join(", ")));
    }

    // Each toolbar button is its command's own action: same enabling, same effect.
    void toolbarButtonsShareTheCommands() {
        start();
        const struct {
            const char *key;
            const char *command;
            const char *tip;
        } buttons[] = {
            {"new", "mnuFileNew", "New Query"},
            {"open", "mnuFileOpen", "Open Query"},
            {"save", "mnuFileSave", "Save Query"},
            {"run", "mnuQueryExecute", "Execute Query (F5)"},
            {"cancel", "mnuQueryCancel", "Cancel Query"},
            {"cut", "mnuEditCut", "Cut (Ctrl+X)"},
            {"copy", "mnuEditCopy", "Copy (Ctrl+C)"},
            {"paste", "mnuEditPaste", "Paste (Ctrl+V)"},
            {"clear", "mnuFileEditClearWin", "Clear Window"},
            {"undo", "undo", "Undo"},
            {"browser", "browser", "Object Browser"},
        };
        for (const auto &button : buttons) {
            QToolButton *tool = main->toolButton(button.key);
            QVERIFY2(tool, button.key);
            QCOMPARE(tool->defaultAction(), main->action(button.command));
            QCOMPARE(tool->toolTip(), QString(button.tip));
            QCOMPARE(tool->accessibleName(), QString(button.tip));
            // Cancel is there only while a batch runs.
            QCOMPARE(tool->isEnabled(), QString(button.key) != "cancel");
        }
        // Undo takes back the last edit of the focused editor.
        query->txtSQL->selectAll();
        main->toolButton("clear")->click();
        QCOMPARE(query->txtSQL->toPlainText(), QString());
        main->toolButton("undo")->click();
        QCOMPARE(query->txtSQL->toPlainText(), QString("SELECT deptno, dname FROM dept"));
        // Blank Query Window opens a window; a key the toolbar does not have does nothing.
        main->toolButton("new")->menu()->actions().value(0)->trigger();
        QCOMPARE(windowCount(), 2);
        main->Toolbar_ButtonClick("nosuchkey");
        QCOMPARE(windowCount(), 2);

        // Without a query window the commands that need one are off, and do nothing.
        for (frmQuery *window : main->queryWindows()) {
            window->setUnSavedChanges(false);
            main->subWindowOf(window)->close();
        }
        QCOMPARE(windowCount(), 0);
        for (const char *name :
             {"mnuFilePrint", "mnuFilePrintPreview", "mnuFileEditClearWin", "mnuQueryExecute",
              "mnuQueryRGrid", "mnuQueryRText", "mnuQueryRFile", "mnuFileSave", "mnuFileClose",
              "mnuEditCut", "mnuWindowCascade", "mnuFileAddFav", "undo"})
            QVERIFY2(!main->action(name)->isEnabled(), name);
        for (const char *key : {"run", "clear", "save", "cut"})
            QVERIFY2(!main->toolButton(key)->isEnabled(), key);
        QVERIFY(main->action("mnuFileNew")->isEnabled());
        main->mnuFilePrint_Click();
        main->mnuQueryExecute_Click();
        main->Clear_Window();
        main->Toolbar_ButtonClick("run");
        QVERIFY(prompt.messages.isEmpty());
        QVERIFY(prompt.printDialogs.isEmpty());
        QVERIFY(prompt.dialogs.isEmpty());
        // Connect is there only while disconnected, Disconnect only while connected.
        QVERIFY(!main->action("mnuFileConnect")->isEnabled());
        main->action("mnuFileDisconnect")->trigger();
        QVERIFY(main->action("mnuFileConnect")->isEnabled());
        QVERIFY(!main->action("mnuFileDisconnect")->isEnabled());
    }

    // Print takes the pane that had the focus: the three text panes print as text, the whole
    // of it or the selection alone, the results grid as a table; the plan grid and the
    // statistics get the warning and no dialog.
    void printTakesTheFocusedPane() {
        start();
        query->cboResults->setCurrentIndex(1); // comma-separated text
        query->cboResults_Click();
        query->chkShowPlan->setChecked(true);
        query->chkShowPlan_Click();
        main->mnuQueryExecute_Click();
        QVERIFY(waitForRun(*query));
        QVERIFY(query->txtResults->toPlainText().contains("ACCOUNTING"));
        const QString message = query->txtMessage->toPlainText().trimmed().split('\n').value(0);
        QVERIFY2(!message.isEmpty(), qPrintable(query->txtMessage->toPlainText()));

        struct Row {
            const char *tab;
            QWidget *pane;
            int from, to;       // the selection, none when equal
            const char *dialog; // nullptr: the warning instead
            QString printed;    // text the PDF holds
            QString notPrinted; // text it must not hold
        };
        const Row rows[] = {
            {"results", query->txtSQL, 0, 0, "print: all", "SELECT deptno, dname FROM dept", {}},
            {"results", query->txtSQL, 15, 20, "print: selection", "dname", "SELECT"},
            {"results", query->txtResults, 0, 0, "print: all", "ACCOUNTING", {}},
            {"results", query->txtResults, 0, 6, "print: selection", "DEPTNO", "ACCOUNTING"},
            {"messages", query->txtMessage, 0, 0, "print: all", message, {}},
            {"ep", query->grdEP, 0, 0, nullptr, {}, {}},
            {"statistics", query->lvwStats, 0, 0, nullptr, {}, {}},
        };
        int number = 0;
        for (const Row &row : rows) {
            const QString label = QString("%1 %2").arg(row.pane->objectName()).arg(++number);
            query->selectTab(row.tab);
            row.pane->setFocus();
            QVERIFY2(query->focusWidget() == row.pane, qPrintable(label));
            if (auto *text = qobject_cast<QPlainTextEdit *>(row.pane))
                selectRange(text, row.from, row.to);
            prompt.printDialogs.clear();
            prompt.messages.clear();
            const QString pdf = env.file(QString("print%1.pdf").arg(number));
            prompt.printAnswers.enqueue(pdf);
            main->action("mnuFilePrint")->trigger();
            if (!row.dialog) {
                QVERIFY2(prompt.printDialogs.isEmpty(), qPrintable(label));
                QCOMPARE(prompt.messages.size(), 1);
                QCOMPARE(prompt.messages[0].icon, QMessageBox::Warning);
                QCOMPARE(prompt.messages[0].text,
                         QString("Please change output to CSV to print results."));
                QVERIFY(!QFile::exists(pdf));
                prompt.printAnswers.clear();
                continue;
            }
            QCOMPARE(prompt.printDialogs, QStringList{row.dialog});
            QVERIFY2(prompt.messages.isEmpty(), qPrintable(label));
            QVERIFY2(QFileInfo(pdf).size() > 0, qPrintable(label));
            const QString text = pdfText(pdf);
            if (text.isEmpty())
                continue; // no pdftotext here: the file was written, its text is not read
            QVERIFY2(text.contains(row.printed), qPrintable(label + ": " + text));
            if (!row.notPrinted.isEmpty())
                QVERIFY2(!text.contains(row.notPrinted), qPrintable(label + ": " + text));
        }
    }

    // A cancelled dialog prints nothing and says nothing; a printer that cannot print says so.
    void cancelledOrFailedPrinting() {
        start();
        prompt.printAnswers.enqueue(QString());
        main->action("mnuFilePrint")->trigger();
        QCOMPARE(prompt.printDialogs, QStringList{"print: all"});
        QVERIFY(prompt.messages.isEmpty());
        QVERIFY(prompt.printAnswers.isEmpty());

        prompt.printAnswers.enqueue("/proc/version/cannot.pdf");
        main->action("mnuFilePrint")->trigger();
        QCOMPARE(prompt.messages.size(), 1);
        QCOMPARE(prompt.messages[0].icon, QMessageBox::Warning);
        QVERIFY(prompt.messages[0].text.startsWith("The document could not be printed."));
    }

    // The results grid prints as a table: 200 rows take more than one page, each page starting
    // with the header row; the preview paints the same pages.
    void gridPrintsPagesWithTheHeaderOnEach() {
        start();
        QString batch = "CREATE TABLE many (row_no NUMBER, label VARCHAR2(20));\n";
        for (int i = 1; i <= 200; ++i)
            batch += QString("INSERT INTO many VALUES (%1, 'row %1');\n").arg(i);
        query->txtSQL->setPlainText(batch + "SELECT * FROM many ORDER BY row_no");
        main->mnuQueryExecute_Click();
        QVERIFY(waitForRun(*query));
        QVERIFY2(query->grdResults->Rows() == 201, qPrintable(query->txtMessage->toPlainText()));
        query->grdResults->setFocus();
        for (const char *command : {"mnuFilePrint", "mnuFilePrintPreview"}) {
            const QString pdf = env.file(QString(command) + ".pdf");
            prompt.printAnswers.enqueue(pdf);
            main->action(command)->trigger();
            QVERIFY2(prompt.messages.isEmpty(), command);
            QVERIFY(QFileInfo(pdf).size() > 0);
            const QString text = pdfText(pdf);
            if (text.isEmpty())
                QSKIP("pdftotext is not installed");
            QStringList pages = text.split('\f');
            if (pages.last().trimmed().isEmpty())
                pages.removeLast();
            QVERIFY2(pages.size() > 1, qPrintable(text));
            for (const QString &page : pages) {
                QVERIFY2(page.contains("ROW_NO"), qPrintable(page));
                QVERIFY2(page.contains("LABEL"), qPrintable(page));
            }
            QVERIFY(pages.first().contains("row 1"));
            QVERIFY(pages.last().contains("row 200"));
            QVERIFY(!text.contains("row 201"));
        }
        QCOMPARE(prompt.printDialogs, QStringList({"print: all", "preview: all"}));
    }

    // Disconnect and Exit while a batch runs stop it first and wait for it: nothing is left
    // running, no worker thread is left.
    void disconnectOrExitWhileRunning() {
        start();
        const QString longCount =
            "SELECT COUNT(*) FROM emp a, emp b, emp c, emp d, emp e, emp f, emp g, emp h";
        query->txtSQL->setPlainText(longCount);
        main->action("mnuQueryExecute")->trigger();
        QVERIFY(query->running());
        QVERIFY(main->action("mnuQueryCancel")->isEnabled());
        QVERIFY(main->toolButton("cancel")->isEnabled());
        QVERIFY(!main->action("mnuQueryExecute")->isEnabled());
        main->action("mnuFileDisconnect")->trigger();
        QVERIFY(!DatabaseSession::instance().hasWorker());
        QVERIFY(waitForRun(*query, 2000));
        QVERIFY(query->txtMessage->toPlainText().contains("Query cancelled."));
        QVERIFY(!main->action("mnuQueryCancel")->isEnabled());

        prompt.dialogHandlers.enqueue(logOnAnswer());
        main->action("mnuFileConnect")->trigger();
        frmQuery *second = main->activeQuery();
        QVERIFY(second && second != query);
        second->txtSQL->setPlainText(longCount);
        main->action("mnuQueryExecute")->trigger();
        QVERIFY(second->running());
        for (frmQuery *window : main->queryWindows())
            window->setUnSavedChanges(false);
        main->action("mnuFileExit")->trigger();
        QVERIFY(!main->isVisible());
        QVERIFY(!DatabaseSession::instance().busy());
        QVERIFY(!DatabaseSession::instance().hasWorker());
    }

    // The browser button and the left panel stay in step, whichever moved first.
    void browserButtonFollowsThePanel() {
        start();
        QToolButton *browser = main->toolButton("browser");
        QVERIFY(browser->isChecked());
        browser->click();
        QVERIFY(!browser->isChecked());
        QVERIFY(main->picLeft->isHidden());
        QVERIFY(main->picVBar->isHidden());
        browser->click();
        QVERIFY(browser->isChecked());
        QVERIFY(!main->picLeft->isHidden());
        main->Show_Browser(false);
        QVERIFY(!browser->isChecked());
        main->picLeft->show();
        QVERIFY(browser->isChecked());
        QVERIFY(!main->picVBar->isHidden());
        main->picLeft->hide();
        QVERIFY(!browser->isChecked());
        QVERIFY(main->picVBar->isHidden());
    }

    // The Window menu lists the open query windows, ticks the active one, and activates the
    // one chosen.
    void windowMenuListsTheWindows() {
        start();
        frmQuery *second = main->New_Query();
        QMenu *window = main->findChild<QMenu *>("mnuWindow");
        emit window->aboutToShow();
        emit window->aboutToShow(); // filled again, not twice
        QStringList listed;
        QAction *first = nullptr;
        for (QAction *item : window->actions())
            if (item->property("windowListEntry").toBool() && !item->isSeparator()) {
                listed << item->text();
                if (!first)
                    first = item;
                QCOMPARE(item->isChecked(), item->text().endsWith("Untitled2"));
            }
        QCOMPARE(listed, QStringList({"&1  Query - Untitled1", "&2  Query - Untitled2"}));
        QCOMPARE(main->activeQuery(), second);
        first->trigger();
        QCOMPARE(main->activeQuery(), query);
    }
};

QTEST_MAIN(tst_commands)
#include "tst_commands.moc"

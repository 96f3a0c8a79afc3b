// The main window: start-up, captions, menus and toolbar, new query windows, the browser panel
// and its splitter, help and the About box.

#include "ScriptedPrompt.h"
#include "TestEnvironment.h"
#include "app/HelpWindow.h"
#include "app/MDIMain.h"
#include "app/SplitterBar.h"
#include "app/frmAbout.h"
#include "app/frmSplash.h"
#include "common/Twips.h"
#include "db/modDatabase.h"
#include "editor/SqlEditor.h"
#include "query/ResultGrid.h"
#include "query/frmQuery.h"
#include "settings/AppOptions.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QSignalSpy>
#include <QTabBar>
#include <QTabWidget>
#include <QTextBrowser>
#include <QToolButton>
#include <QtTest>

class tst_main_window : public QObject {
    Q_OBJECT
    TestEnvironment env;
    ScriptedPrompt prompt;

    static int mainWindowCount() {
        int count = 0;
        for (QWidget *widget : QApplication::topLevelWidgets())
            count += qobject_cast<MDIMain *>(widget) && !widget->isHidden() ? 1 : 0;
        return count;
    }

    static HelpWindow *helpWindow() {
        for (QWidget *widget : QApplication::topLevelWidgets())
            if (auto *help = qobject_cast<HelpWindow *>(widget))
                return help;
        return nullptr;
    }

    std::unique_ptr<MDIMain> loaded() {
        auto main = std::make_unique<MDIMain>();
        main->Form_Load();
        return main;
    }

private slots:
    void cleanup() {
        for (QWidget *widget : QApplication::topLevelWidgets())
            if (qobject_cast<MDIMain *>(widget))
                widget->deleteLater();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        prompt.dialogs.clear();
        prompt.dialogHandlers.clear();
    }

    void keyPressOnTheSplashShowsTheMainWindowOnce() {
        QPointer<frmSplash> splash = new frmSplash;
        splash->show();
        QCOMPARE(splash->lblVersion->text(), QString("Version 2.0.1"));
        QTest::keyClick(splash, Qt::Key_Space);
        MDIMain *main = splash->mainWindow();
        QVERIFY(main);
        QVERIFY(main->isVisible());
        QCOMPARE(main->windowTitle(), QString("Brindlemark"));
        QVERIFY(main->windowState() & Qt::WindowMaximized);
        splash->Timer1_Timer(); // the timer coming late changes nothing
        QCOMPARE(mainWindowCount(), 1);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(splash.isNull());
    }

    void splashTimerShowsTheMainWindowAfterTwoSeconds() {
        QPointer<frmSplash> splash = new frmSplash;
        QSignalSpy shown(splash.data(), &frmSplash::mainWindowShown);
        // The order of events: nothing until the two-second timer runs out, then the main
        // window, once.
        QSignalSpy timedOut(&splash->Timer1, &QTimer::timeout);
        splash->show();
        QCOMPARE(splash->Timer1.interval(), 2000);
        QVERIFY(splash->Timer1.isActive());
        QVERIFY(splash->Timer1.isSingleShot());
        QCOMPARE(mainWindowCount(), 0);
        QVERIFY(shown.wait(4000));
        QCOMPARE(timedOut.count(), 1);
        QCOMPARE(shown.count(), 1);
        QCOMPARE(mainWindowCount(), 1);
    }

    void aboutBox() {
        auto main = loaded();
        QString caption, name, version;
        prompt.dialogHandlers.enqueue([&](QDialog &dialog) {
            auto &about = static_cast<frmAbout &>(dialog);
            caption = about.windowTitle();
            name = about.Label1->text();
            version = about.lblVersion->text();
            return int(QDialog::Accepted);
        });
        main->action("mnuHelpAbout")->trigger();
        QCOMPARE(prompt.dialogs, QStringList({"frmLogin", "frmAbout"})); // log-on at start-up
        QCOMPARE(caption, QString("About Brindlemark"));
        QCOMPARE(name, QString("Brindlemark"));
        QCOMPARE(version, QString("Version 2.0.1"));
    }

    // Captions, shortcuts and enabling as the program starts, before any query window opens.
    void menusAndToolbar_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("shortcut");
        QTest::addColumn<bool>("enabled");
        QTest::newRow("new") << "mnuFileNew"
                             << "&New"
                             << "Ctrl+N" << true;
        QTest::newRow("open") << "mnuFileOpen"
                              << "&Open"
                              << "Ctrl+O" << true;
        QTest::newRow("disconnect") << "mnuFileDisconnect"
                                    << "&Disconnect"
                                    << "" << false;
        QTest::newRow("save as") << "mnuFileSaveAs"
                                 << "Save &As..."
                                 << "" << false;
        QTest::newRow("favourites") << "mnuFileAddFav"
                                    << "Add to Favourites..."
                                    << "" << false;
        QTest::newRow("print") << "mnuFilePrint"
                               << "&Print..."
                               << "Ctrl+P" << false;
        QTest::newRow("exit") << "mnuFileExit"
                              << "E&xit"
                              << "" << true;
        QTest::newRow("select all") << "mnuEditDSelectAll"
                                    << "Select &All"
                                    << "Ctrl+A" << false;
        QTest::newRow("clear") << "mnuFileEditClearWin"
                               << "Clear Window"
                               << "Ctrl+F12" << false;
        QTest::newRow("cut") << "mnuEditCut"
                             << "Cu&t"
                             << "" << false;
        QTest::newRow("execute") << "mnuQueryExecute"
                                 << "&Execute"
                                 << "F5" << false;
        QTest::newRow("text") << "mnuQueryRText"
                              << "Results in &Text"
                              << "Ctrl+T" << false;
        QTest::newRow("connect") << "mnuFileConnect"
                                 << "&Connect..."
                                 << "" << true;
        QTest::newRow("options") << "mnuViewOptions"
                                 << "&Options..."
                                 << "" << true;
        QTest::newRow("new window") << "mnuWindowNewWindow"
                                    << "&New Window"
                                    << "" << true;
        QTest::newRow("tile") << "mnuWindowTileVertical"
                              << "Tile &Vertical"
                              << "" << false;
        QTest::newRow("search") << "mnuHelpSearch"
                                << "&Search For Help On..."
                                << "" << true;
        QTest::newRow("about") << "mnuHelpAbout"
                               << "&About..."
                               << "" << true;
        QTest::newRow("popup open") << "mnuPopup1Open"
                                    << "Open"
                                    << "" << true;
        QTest::newRow("popup query") << "mnuPopup2OpenQuery"
                                     << "Open Query"
                                     << "" << true;
    }
    void menusAndToolbar() {
        QFETCH(QString, name);
        QFETCH(QString, caption);
        QFETCH(QString, shortcut);
        QFETCH(bool, enabled);
        MDIMain main;
        QAction *action = main.action(name);
        QVERIFY2(action, qPrintable(name));
        QCOMPARE(action->text(), caption);
        QCOMPARE(action->shortcut().toString(), shortcut);
        QCOMPARE(action->isEnabled(), enabled);
    }

    void toolbarButtons() {
        MDIMain main;
        const QStringList keys = {"new",  "open",  "save",  "run",  "cut",
                                  "copy", "paste", "clear", "undo", "browser"};
        const QStringList tips = {"New Query",          "Open Query",   "Save Query",
                                  "Execute Query (F5)", "Cut (Ctrl+X)", "Copy (Ctrl+C)",
                                  "Paste (Ctrl+V)",     "Clear Window", "Undo",
                                  "Object Browser"};
        for (int i = 0; i < keys.size(); ++i) {
            QToolButton *button = main.toolButton(keys[i]);
            QVERIFY(button);
            QCOMPARE(button->toolTip(), tips[i]);
            QVERIFY(!button->icon().isNull());
        }
        QCOMPARE(main.toolButton("new")->menu()->actions().value(0)->text(),
                 QString("Blank Query Window"));
        // No query window yet: New is there, Save is not.
        QVERIFY(main.toolButton("new")->isEnabled());
        QVERIFY(!main.toolButton("save")->isEnabled());
    }

    void newQueryWindowsAreNumbered() {
        auto main = loaded();
        main->NoToAll = true;
        frmQuery *first = main->New_Query();
        QVERIFY(!main->NoToAll);
        QCOMPARE(first->windowTitle(), QString(" Query - Untitled1"));
        QVERIFY(main->subWindowOf(first)->isMaximized());
        QVERIFY(!first->UnSavedChanges());
        main->action("mnuWindowNewWindow")->trigger();
        frmQuery *second = main->activeQuery();
        QVERIFY(second != first);
        QCOMPARE(second->windowTitle(), QString(" Query - Untitled2"));
        QVERIFY(!main->subWindowOf(second)->isMaximized());
        QCOMPARE(main->QueryCount, 2);
        main->subWindowOf(second)->close();
        main->subWindowOf(first)->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(main->queryWindows().isEmpty());
        main->toolButton("new")->click();
        QCOMPARE(main->activeQuery()->windowTitle(), QString(" Query - Untitled3"));
        main->toolButton("new")->menu()->actions().value(0)->trigger();
        QCOMPARE(main->activeQuery()->windowTitle(), QString(" Query - Untitled4"));
    }

    void browserPanelAndSplitter() {
        auto main = loaded();
        const auto panelTwips = [&] { return bm::pixelsToTwips(main->picLeft->width()); };
        QVERIFY(main->picLeft->isVisible());
        // At least its 3660 twips, and wide enough to show all the tab captions.
        const int opened = main->picLeft->width();
        QVERIFY(opened >= bm::twipsToPixels(3660));
        main->show();
        QTabBar *tabs = main->tabLeft->tabBar();
        QVERIFY2(tabs->tabRect(3).right() <= tabs->width(),
                 qPrintable(QString("%1 > %2").arg(tabs->tabRect(3).right()).arg(tabs->width())));
        QCOMPARE(main->tabLeft->tabText(0), QString("Schema Objects"));
        QCOMPARE(main->tabLeft->tabText(1), QString("Dictionary"));
        QCOMPARE(main->tabLeft->tabText(2), QString("Favorites"));
        QCOMPARE(main->tabLeft->tabText(3), QString("History"));
        QCOMPARE(main->tabLeft->currentIndex(), 0);
        // A move without a press on the bar resizes nothing.
        emit main->picVBar->moved(900);
        QCOMPARE(main->picLeft->width(), opened);
        emit main->picVBar->pressed();
        emit main->picVBar->moved(-9000);
        QCOMPARE(main->picLeft->width(), bm::twipsToPixels(1935));
        emit main->picVBar->moved(6000);
        QVERIFY(panelTwips() >= 1935 + 6000 - 15);
        emit main->picVBar->released();
        QVERIFY(!main->Dragging);
        // Hiding and showing again resets the width.
        main->toolButton("browser")->click();
        QVERIFY(!main->picLeft->isVisible());
        QVERIFY(!main->picVBar->isVisible());
        main->toolButton("browser")->click();
        QVERIFY(main->picLeft->isVisible());
        QCOMPARE(main->picLeft->width(), opened);
    }

    void resultTicksFollowTheActiveWindow() {
        AppOptions.OutputResults = "Grid";
        auto main = loaded();
        AppOptions.OutputResults = "File";
        frmQuery *query = main->New_Query();
        QVERIFY(main->action("mnuQueryRFile")->isChecked());
        query->cboResults->setCurrentIndex(1);
        query->cboResults_Click();
        QVERIFY(main->action("mnuQueryRText")->isChecked());
        QVERIFY(!main->action("mnuQueryRFile")->isChecked());
        QVERIFY(!main->action("mnuQueryRGrid")->isChecked());
    }

    void helpShowsTheBundledPages() {
        auto main = loaded();
        main->action("mnuHelpContents")->trigger();
        HelpWindow *help = helpWindow();
        QVERIFY(help && help->isVisible());
        QCOMPARE(help->browser()->documentTitle(), QString("Brindlemark Help"));
        QVERIFY(help->browser()->toPlainText().contains("Running queries"));
        help->close();
    }

    void f1OpensTheHelpAtItsFirstPage() {
        auto main = loaded();
        main->show();
        QApplication::setActiveWindow(main.get());
        if (!QTest::qWaitForWindowActive(main.get()))
            QSKIP("the platform gives no active window");
        QTest::keyClick(main.get(), Qt::Key_F1);
        HelpWindow *help = helpWindow();
        QVERIFY(help && help->isVisible());
        QCOMPARE(help->browser()->source(), QUrl("qrc:/help/index.html"));
        help->close();
    }

    void optionsAndSelectAll() {
        auto main = loaded();
        main->action("mnuViewOptions")->trigger();
        QCOMPARE(prompt.dialogs, QStringList({"frmLogin", "frmOptions"}));
        frmQuery *query = main->New_Query();
        Build_Connection_String("demo", "scott", "tiger");
        QVERIFY(Open_Connection());
        query->Load_Recordset_Into_Grid(Get_Recordset("SELECT * FROM EMP", 0), query->grdResults,
                                        true);
        Close_Connection();
        main->activateWindow();
        query->grdResults->show();
        query->grdResults->setFocus();
        QApplication::setActiveWindow(main.get());
        if (QApplication::focusWidget() != query->grdResults)
            QSKIP("the platform gives no keyboard focus");
        main->action("mnuEditDSelectAll")->trigger();
        const auto *selection = query->grdResults->selectionModel();
        QVERIFY(selection->isSelected(query->grdResults->model()->index(0, 1)));
        QVERIFY(selection->isSelected(query->grdResults->model()->index(13, 8)));
        QCOMPARE(selection->selectedIndexes().size(), 14 * 9);
    }

    void exitClosesEverything() {
        auto main = loaded();
        main->New_Query();
        Build_Connection_String("demo", "scott", "tiger");
        QVERIFY(Open_Connection());
        main->action("mnuFileExit")->trigger();
        QVERIFY(!main->isVisible());
        QVERIFY(!cnDatabase);
    }
};

QTEST_MAIN(tst_main_window)
#include "tst_main_window.moc"

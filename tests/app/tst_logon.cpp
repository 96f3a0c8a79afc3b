// Logging on and off, the commands routed to the query window, and one session driven end to
// end as a user would.

#include "LogOnAnswer.h"
#include "RunAndWait.h"
#include "ScriptedPrompt.h"
#include "TestEnvironment.h"
#include "app/MDIMain.h"
#include "common/SelectTextOnFocus.h"
#include "common/frmTrace.h"
#include "db/embedded/SampleDatabase.h"
#include "db/frmLogin.h"
#include "db/modDatabase.h"
#include "db/oracle/OracleSession.h"
#include "editor/SqlEditor.h"
#include "query/ResultGrid.h"
#include "query/frmQuery.h"
#include "settings/AppOptions.h"

#include <QAccessible>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QMdiArea>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextEdit>
#include <QToolButton>
#include <QTreeWidget>
#include <QtTest>
#include <dlfcn.h>

class tst_logon : public QObject {
    Q_OBJECT
    TestEnvironment env;
    ScriptedPrompt prompt;

    std::unique_ptr<MDIMain> started(std::function<int(QDialog &)> answer) {
        prompt.dialogHandlers.enqueue(std::move(answer));
        auto main = std::make_unique<MDIMain>();
        main->Form_Load();
        return main;
    }

private slots:
    void init() {
        AppOptions = {"Grid", 1, 0, "", 0, 1};
        Close_Connection();
        prompt.messages.clear();
        prompt.dialogs.clear();
        prompt.dialogHandlers.clear();
        if (frmTrace *trace = existingTraceWindow())
            delete trace;
    }

    void cancelAtStartUp() {
        auto main = started(logOnAnswer("scott", "tiger", "demo", false));
        QCOMPARE(prompt.dialogs, QStringList{"frmLogin"});
        QVERIFY(!main->Connected());
        QVERIFY(main->statusPanel(2)->text().isEmpty());
        QVERIFY(main->statusPanel(3)->text().isEmpty());
        QVERIFY(main->action("mnuFileConnect")->isEnabled());
        QVERIFY(!main->action("mnuFileDisconnect")->isEnabled());
        QVERIFY(main->queryWindows().isEmpty());
        QVERIFY(main->trvObjects->topLevelItemCount() == 0);
        // Connect again: the same dialog, with what was typed.
        QStringList seen;
        prompt.dialogHandlers.enqueue(logOnAnswer("scott", "tiger", "demo", true, &seen));
        main->action("mnuFileConnect")->trigger();
        QCOMPARE(seen, QStringList({"scott", "tiger", "demo"}));
        QVERIFY(main->Connected());
        // After OK the next Connect starts empty.
        prompt.dialogHandlers.enqueue(logOnAnswer("", "", "", false, &seen));
        main->mnuFileConnect_Click();
        QCOMPARE(seen, QStringList({"", "", ""}));
    }

    void closeBoxCountsAsCancel() {
        auto main = started([](QDialog &dialog) {
            auto &login = static_cast<frmLogin &>(dialog);
            login.txtServiceName->setText("demo");
            login.show();
            login.close();
            return login.result();
        });
        QVERIFY(main->heldLogin());
        QVERIFY(main->heldLogin()->Cancelled());
        QVERIFY(!main->Connected());
    }

    void dialogCaptionMaskDefaultAndTabOrder() {
        frmLogin login;
        QCOMPARE(login.windowTitle(), QString("Brindlemark Database Login"));
        QCOMPARE(login.txtPassword->echoMode(), QLineEdit::Password);
        QVERIFY(login.cmdOK->isDefault());
        QWidget *order[] = {login.txtUserId, login.txtPassword, login.txtServiceName, login.cmdOK,
                            login.cmdCancel};
        for (int i = 0; i + 1 < 5; ++i) {
            QWidget *next = order[i]->nextInFocusChain();
            while (next && !(next->focusPolicy() & Qt::TabFocus))
                next = next->nextInFocusChain();
            QCOMPARE(next, order[i + 1]);
        }
        login.show();
        QTest::keyClick(&login, Qt::Key_Escape);
        QVERIFY(login.Cancelled());
    }

    void keyboardFocusSelectsMouseFocusKeepsTheCaret() {
        frmLogin login;
        login.txtUserId->setText("scott");
        login.txtPassword->setText("tiger");
        login.show();
        QVERIFY(QTest::qWaitForWindowExposed(&login));
        QApplication::setActiveWindow(&login);
        login.txtPassword->setFocus();
        QTest::keyClick(login.txtPassword, Qt::Key_Backtab);
        QCOMPARE(QApplication::focusWidget(), login.txtUserId);
        QCOMPARE(login.txtUserId->selectedText(), QString("scott"));
        login.txtPassword->setCursorPosition(2);
        Select_Text_On_Focus(&login, login.txtPassword, Qt::MouseFocusReason);
        QVERIFY(!login.txtPassword->hasSelectedText());
        QCOMPARE(login.txtPassword->cursorPosition(), 2);
        // Text wider than the box: all selected, the caret at the start.
        login.txtServiceName->setText(QString(300, 'w'));
        Select_Text_On_Focus(&login, login.txtServiceName, Qt::TabFocusReason);
        QCOMPARE(login.txtServiceName->selectedText().size(), 300);
        QCOMPARE(login.txtServiceName->cursorPosition(), 0);
    }

    // "brindlemark file.sql", as a file manager starts it: the file opens after the log-on.
    void fileNamedAtStartOpensAfterTheLogOn() {
        const QString path = env.file("named.sql");
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("SELECT * FROM dept;\n");
        file.close();
        MDIMain::startFiles() = {path};
        auto main = started(logOnAnswer("scott", "tiger", "demo"));
        frmQuery *query = main->activeQuery();
        QVERIFY(query);
        QCOMPARE(query->FileName(), path);
        QCOMPARE(query->txtSQL->toPlainText(), QString("SELECT * FROM dept;\n"));
        QVERIFY(MDIMain::startFiles().isEmpty());
    }

    void failedLogOnWarnsAndChangesNothingElse() {
        auto main = started(logOnAnswer("scott", "secret", env.file("missing.db")));
        QCOMPARE(prompt.messages.size(), 1);
        QCOMPARE(prompt.messages[0].icon, QMessageBox::Warning);
        QVERIFY(prompt.messages[0].text.startsWith("Database connection problem encountered."));
        QVERIFY(!main->Connected());
        QVERIFY(main->statusPanel(2)->text().isEmpty());
        QVERIFY(main->queryWindows().isEmpty());
        QVERIFY(main->action("mnuFileConnect")->isEnabled());
        QVERIFY(!main->action("mnuFileDisconnect")->isEnabled());
        QCOMPARE(main->UserID, QString("scott"));
        QVERIFY(!main->heldLogin());
    }

    void successfulLogOnAndDisconnect() {
        QFile::remove(sampleDatabasePath());
        auto main = started(logOnAnswer("scott", "tiger", "demo"));
        QVERIFY(main->Connected());
        QVERIFY(!main->action("mnuFileConnect")->isEnabled());
        QVERIFY(main->action("mnuFileDisconnect")->isEnabled());
        QCOMPARE(main->statusPanel(2)->text(), QString("demo"));
        QCOMPARE(main->statusPanel(3)->text(), QString("scott"));
        QCOMPARE(main->queryWindows().size(), 1);
        // A screen reader hears what every label shows; what it is for is its description.
        QWidgetList shown{main.get(), main->queryWindows().first()};
        for (QWidget *top : shown)
            for (QLabel *label : top->findChildren<QLabel *>()) {
                if (label->text().isEmpty())
                    continue;
                QAccessibleInterface *read = QAccessible::queryAccessibleInterface(label);
                QCOMPARE(read->text(QAccessible::Name), label->text());
            }
        QCOMPARE(QAccessible::queryAccessibleInterface(main->statusPanel(2))
                     ->text(QAccessible::Description),
                 QString("Service name"));
        // The favourites tree is built at log-on: with no list, the lone root.
        QCOMPARE(main->trvQueries->topLevelItemCount(), 1);
        QCOMPARE(main->trvQueries->topLevelItem(0)->text(0), QString("Queries"));
        QCOMPARE(cnDatabase->query("SELECT COUNT(*) FROM PLAN_TABLE", 0)->recordCount(),
                 std::size_t(1));
        QVERIFY(prompt.messages.isEmpty() && prompt.dialogs == QStringList{"frmLogin"});

        // Disconnect leaves the windows; a run then fails in the messages pane.
        main->action("mnuFileDisconnect")->trigger();
        QVERIFY(!main->Connected());
        QCOMPARE(main->statusPanel(2)->text(), QString("DISCONNECTED"));
        QVERIFY(main->statusPanel(3)->text().isEmpty());
        QCOMPARE(main->queryWindows().size(), 1);
        frmQuery *query = main->queryWindows().first();
        query->txtSQL->setPlainText("SELECT * FROM emp");
        main->action("mnuQueryExecute")->trigger();
        QVERIFY(waitForRun(*query));
        QVERIFY(query->txtMessage->toPlainText().contains("Operation is not allowed"));

        // A second log-on: one more window, the plan table checked again without a message.
        prompt.dialogHandlers.enqueue(logOnAnswer("adams", "x", "DEMO"));
        main->action("mnuFileConnect")->trigger();
        QCOMPARE(main->queryWindows().size(), 2);
        QCOMPARE(main->statusPanel(3)->text(), QString("adams"));
        QVERIFY(prompt.messages.isEmpty());
        QCOMPARE(traceWindow()->logText().count("CREATE TABLE PLAN_TABLE"), 2);
        QVERIFY(!traceWindow()->logText().contains("tiger"));
    }

    // A file that takes no changes opens for queries, and the user is told what that means
    // instead of meeting failed plans later.
    void readOnlyDatabaseIsAnnouncedAtLogOn() {
        Close_Connection();
        QFile::remove(sampleDatabasePath());
        Build_Connection_String("demo", "scott", "tiger");
        QVERIFY(Open_Connection()); // makes the sample file
        Close_Connection();
        auto main =
            started(logOnAnswer("scott", "tiger", "file:" + sampleDatabasePath() + "?mode=ro"));
        QVERIFY(main->Connected());
        QCOMPARE(prompt.messages.size(), 1);
        QCOMPARE(prompt.messages[0].icon, QMessageBox::Information);
        QVERIFY2(prompt.messages[0].text.contains("is open read-only"),
                 qPrintable(prompt.messages[0].text));
        QVERIFY(!traceWindow()->logText().contains("CREATE TABLE PLAN_TABLE"));
        QCOMPARE(main->queryWindows().size(), 1);
    }

    void commandsWithoutAQueryWindowDoNothing() {
        auto main = started(logOnAnswer("", "", "", false));
        main->action("mnuQueryExecute")->trigger();
        main->toolButton("run")->click();
        main->action("mnuQueryRText")->trigger();
        QVERIFY(!main->action("mnuQueryRText")->isChecked());
        QVERIFY(prompt.messages.isEmpty());
        QCOMPARE(prompt.dialogs, QStringList{"frmLogin"});
    }

    void resultsInTextSwitchesTheActiveWindow() {
        auto main = started(logOnAnswer("scott", "tiger", "demo"));
        frmQuery *query = main->activeQuery();
        QVERIFY(query);
        QVERIFY(main->action("mnuQueryRGrid")->isChecked());
        main->action("mnuQueryRText")->trigger();
        QCOMPARE(query->cboResults->currentText(), QString("Comma Seperated Values(CSV)"));
        QVERIFY(main->action("mnuQueryRText")->isChecked());
        QVERIFY(!main->action("mnuQueryRGrid")->isChecked());
        QCOMPARE(query->visiblePane(), query->txtResults);
        main->action("mnuQueryRFile")->trigger();
        QCOMPARE(query->cboResults->currentIndex(), 2);
        QVERIFY(main->action("mnuQueryRFile")->isChecked());
        // And from the window's side.
        query->cboResults->setCurrentIndex(0);
        query->cboResults_Click();
        QVERIFY(main->action("mnuQueryRGrid")->isChecked());
        QVERIFY(!main->action("mnuQueryRFile")->isChecked());
    }

    // Start, log on, type a batch, press F5, read what shows: on the sample database, and on an
    // Oracle database through the Oracle engine and the stand-in client library.
    void endToEnd_data() {
        QTest::addColumn<QString>("service");
        QTest::newRow("sample database") << "demo";
        QTest::newRow("Oracle engine") << "ORCL";
    }
    void endToEnd() {
        QFETCH(QString, service);
        QFile::remove(sampleDatabasePath());
        if (service == "ORCL") {
            const QString path = env.file("oracle.db");
            QFile::remove(path);
            bm::db::ensureSampleDatabase(path.toStdString(), sampleSchemaScript());
            qputenv("BM_FAKEOCI_DATABASE", path.toUtf8());
            bm::db::setOracleClientLibrary(BM_FAKEOCI_PATH);
        }
        auto main = started([service](QDialog &dialog) {
            auto &login = static_cast<frmLogin &>(dialog);
            login.show();
            QTest::keyClicks(login.txtUserId, "scott");
            QTest::keyClick(login.txtUserId, Qt::Key_Tab);
            QTest::keyClicks(login.txtPassword, "tiger");
            login.txtServiceName->setFocus(Qt::TabFocusReason);
            QTest::keyClicks(login.txtServiceName, service);
            QTest::keyClick(login.txtServiceName, Qt::Key_Return);
            return login.result();
        });
        QVERIFY(main->Connected());
        QCOMPARE(main->statusPanel(2)->text(), service);
        frmQuery *query = main->activeQuery();
        QVERIFY(query);
        QApplication::setActiveWindow(main.get());
        query->txtSQL->setFocus();
        query->txtSQL->selectAll();
        QTest::keyClicks(query->txtSQL, "SELECT ename, sal FROM emp WHERE deptno = 10");
        QTest::keyClick(query->txtSQL, Qt::Key_Return);
        QTest::keyClicks(query->txtSQL, "ORDER BY ename;");
        QTest::keyClick(query->txtSQL, Qt::Key_Return);
        QTest::keyClicks(query->txtSQL, "UPDATE bonus SET sal = 0;");
        // The window's activation reaches the commands through the event loop.
        QTRY_VERIFY(main->action("mnuQueryExecute")->isEnabled());
        QTest::keyClick(main.get(), Qt::Key_F5);
        QVERIFY(query->running());
        QVERIFY(waitForRun(*query));
        QCOMPARE(query->txtMessage->toPlainText(), QString("\nQuery Complete.\nQuery Complete"));
        QCOMPARE(query->statusPanel(1)->text(), QString("Query batch complete."));
        QCOMPARE(query->grdResults->Rows(), 4);
        QStringList names;
        for (int row = 1; row < 4; ++row)
            names << query->grdResults->TextMatrix(row, 1);
        QCOMPARE(names, QStringList({"CLARK", "KING", "MILLER"}));
        QCOMPARE(query->grdResults->TextMatrix(0, 2), QString("SAL"));
        QCOMPARE(query->lvwStats->topLevelItem(0)->text(1), QString("3"));
        QCOMPARE(query->statusPanel("reccount")->text(), QString("3 rows"));

        // The execution plan, read from the plan table.
        query->chkShowPlan->click();
        query->txtSQL->setPlainText("SELECT * FROM emp");
        QTest::keyClick(main.get(), Qt::Key_F5);
        QVERIFY(waitForRun(*query));
        QCOMPARE(query->grdEP->TextMatrix(1, 1), QString("SELECT STATEMENT optimizer=ALL_ROWS"));
        QCOMPARE(query->grdResults->Rows(), 15);
        if (service != "ORCL")
            return;

        // The database drops the connection: the statement fails, the status says so, and a
        // new log-on works without a restart.
        query->chkShowPlan->click();
        reinterpret_cast<void (*)()>(dlsym(RTLD_DEFAULT, "fakeoci_drop_connections"))();
        QTest::keyClick(main.get(), Qt::Key_F5);
        QVERIFY(waitForRun(*query));
        QVERIFY2(query->txtMessage->toPlainText().contains("ORA-03113"),
                 qPrintable(query->txtMessage->toPlainText()));
        QVERIFY(!main->Connected());
        QCOMPARE(main->statusPanel(2)->text(), QString("DISCONNECTED"));
        prompt.dialogHandlers.enqueue(logOnAnswer("scott", "tiger", "ORCL"));
        main->mnuFileConnect_Click();
        QVERIFY(main->Connected());
        QCOMPARE(main->statusPanel(2)->text(), QString("ORCL"));
    }
};

QTEST_MAIN(tst_logon)
#include "tst_logon.moc"

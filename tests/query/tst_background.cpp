// Batches on the background worker: the program stays responsive, rows show as they arrive,
// Cancel stops a runaway statement, windows wait their turn for the connection, and closing a
// window or the connection while a batch runs leaves nothing running.

#include "RunAndWait.h"
#include "ScriptedPrompt.h"
#include "TestEnvironment.h"
#include "db/DatabaseSession.h"
#include "db/modDatabase.h"
#include "editor/SqlEditor.h"
#include "query/PlanAndStats.h"
#include "query/QueryRunner.h"
#include "query/ResultGrid.h"
#include "query/frmQuery.h"
#include "settings/AppOptions.h"
#include "settings/ProgramSettings.h"
#include "sql/AppError.h"

#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QPlainTextEdit>
#include <QSettings>
#include <QTimer>
#include <QtTest>
#include <sqlite3.h>

namespace {

// A statement that runs for many seconds and returns one row at the end.
const QString kLongCount = "SELECT COUNT(*) FROM emp a, emp b, emp c, emp d, emp e, emp f, emp g";
// One that returns seven million rows.
const QString kManyRows = "SELECT a.ename, b.ename, c.ename, d.ename, e.empno FROM emp a, "
                          "emp b, emp c, emp d, emp e, emp f";

QStringList messageLines(frmQuery &window) {
    return window.txtMessage->toPlainText().split('\n');
}

// Waits until the condition holds, the event loop turning.
template <class Condition> bool eventually(Condition condition, int timeoutMs = 10000) {
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        QTest::qWait(2);
    }
    return true;
}

} // namespace

class tst_background : public QObject {
    Q_OBJECT
    TestEnvironment env;
    ScriptedPrompt prompt;

private slots:
    void init() {
        AppOptions = {"Grid", 1, 0, "", 0, 1};
        programSettings()->remove("Results/MemoryLimitMB");
        Close_Connection();
        QFile::remove(sampleDatabasePath());
        Build_Connection_String("demo", "scott", "tiger");
        QVERIFY(Open_Connection());
        cnDatabase->execute(planTableStatement().toStdString());
        prompt.messages.clear();
        prompt.fileDialogs.clear();
    }
    void cleanup() { Close_Connection(); }

    // Cancel interrupts a long statement at once, says so, skips the rest of the batch, and
    // leaves the connection ready for the next batch. The event loop runs all along.
    void cancelStopsALongStatement() {
        frmQuery window;
        window.txtSQL->setPlainText(kLongCount + ";\nUPDATE bonus SET sal = 1");
        int ticks = 0;
        QTimer timer;
        connect(&timer, &QTimer::timeout, [&] { ++ticks; });
        timer.start(10);
        window.Run_Queries();
        QVERIFY(window.running());
        QVERIFY(eventually([&] { return ticks >= 10; })); // the window's thread is free
        QVERIFY(window.running());
        QCOMPARE(window.statusPanel(1)->text(), QString("Running query..."));
        QCOMPARE(window.cursor().shape(), Qt::BusyCursor);
        // The trees read on this thread while the batch holds the connection: they are told
        // it is busy, after a moment, rather than waiting for the batch.
        QElapsedTimer busy;
        busy.start();
        try {
            Get_Recordset("SELECT 1 FROM dual", 0);
            QFAIL("the connection was not busy");
        } catch (const bm::AppError &error) {
            QCOMPARE(QString::fromStdString(error.description()),
                     QString(bm::db::Connection::kBusyMessage));
            QVERIFY(QString::fromStdString(error.source()).endsWith("..modDatabase.Get_Recordset"));
        }
        QVERIFY(busy.elapsed() < 2000);
        QElapsedTimer clock;
        clock.start();
        window.Cancel_Query();
        QVERIFY(waitForRun(window, 5000));
        qInfo("cancel took %lld ms", clock.elapsed());
        QCOMPARE(messageLines(window), QStringList({"", "Query cancelled."}));
        QCOMPARE(window.statusPanel(1)->text(), QString("Query batch complete with errors."));
        QCOMPARE(window.selectedTabKey(), QString("messages"));
        QCOMPARE(window.cursor().shape(), Qt::ArrowCursor);
        QVERIFY(window.runner().BatchHasErrors);

        // The trees, on this thread, are not refused by the cancel that has passed.
        QCOMPARE(Get_Recordset("SELECT COUNT(*) FROM dept", 0)->value(0).value(),
                 std::string_view("4"));
        window.txtSQL->setPlainText("SELECT dname FROM dept");
        QVERIFY(runAndWait(window));
        QCOMPARE(window.grdResults->Rows(), 5);
        QCOMPARE(window.statusPanel(1)->text(), QString("Query batch complete."));
    }

    // Runaway statements found by probing are stopped too, and a statement with no rows.
    void runawayStatementsAreCancellable_data() {
        QTest::addColumn<QString>("sql");
        QTest::newRow("connect by every ordering")
            << "SELECT ename, level FROM emp CONNECT BY NOCYCLE PRIOR 1 = 1";
        QTest::newRow("endless recursion")
            << "WITH n(x) AS (SELECT 1 FROM dual UNION ALL SELECT x + 1 FROM n) "
               "SELECT COUNT(*) FROM n";
        QTest::newRow("long update") << "UPDATE emp SET comm = (" + kLongCount + ")";
    }
    void runawayStatementsAreCancellable() {
        QFETCH(QString, sql);
        frmQuery window;
        window.txtSQL->setPlainText(sql);
        window.Run_Queries();
        QTest::qWait(300);
        QVERIFY(window.running());
        window.Cancel_Query();
        QVERIFY(waitForRun(window, 5000));
        QVERIFY2(messageLines(window).contains("Query cancelled."),
                 qPrintable(window.txtMessage->toPlainText()));
    }

    // The grid shows the first rows while the fetch goes on; after a cancel the rows fetched
    // stay.
    void gridFillsWhileFetching() {
        frmQuery window;
        window.txtSQL->setPlainText(kManyRows);
        window.Run_Queries();
        QVERIFY(eventually([&] { return window.grdResults->Rows() > 1; }));
        QVERIFY(window.running());
        QVERIFY(eventually([&] {
            return window.statusPanel(1)->text().startsWith("Running query... ") &&
                   window.statusPanel(1)->text().endsWith(" rows");
        }));
        QCOMPARE(window.grdResults->TextMatrix(0, 1), QString("ENAME"));
        QTest::keyClick(window.txtSQL, Qt::Key_Escape); // Esc in the window cancels
        QVERIFY(waitForRun(window, 5000));
        const int shown = window.grdResults->Rows();
        QVERIFY(shown > 1);
        QVERIFY(!window.grdResults->TextMatrix(shown - 1, 1).isEmpty());
        QVERIFY(messageLines(window).contains("Query cancelled."));
    }

    // A second window waits for the connection and runs when the first batch ends; Execute
    // in the running window does nothing.
    void windowsTakeTurns() {
        frmQuery first, second;
        first.txtSQL->setPlainText(kLongCount);
        first.Run_Queries();
        QVERIFY(eventually([] { return DatabaseSession::instance().busy(); }));
        first.Run_Queries(); // already running: nothing
        second.txtSQL->setPlainText("SELECT dname FROM dept");
        second.Run_Queries();
        QCOMPARE(second.statusPanel(1)->text(), QString("Waiting for the connection..."));
        QTest::qWait(200);
        QCOMPARE(second.grdResults->Rows(), 1);
        QVERIFY(second.running());
        first.Cancel_Query();
        QVERIFY(waitForRun(first, 5000));
        QVERIFY(waitForRun(second, 5000));
        QCOMPARE(second.grdResults->Rows(), 5);
        QCOMPARE(second.statusPanel(1)->text(), QString("Query batch complete."));
        QCOMPARE(messageLines(first), QStringList({"", "Query cancelled."}));
    }

    // Closing the window, or the connection, while a batch runs stops it and waits for it:
    // nothing is left running, no thread is left.
    void closingStopsTheBatch() {
        auto window = std::make_unique<frmQuery>();
        window->txtSQL->setPlainText(kLongCount);
        window->Run_Queries();
        QVERIFY(eventually([] { return DatabaseSession::instance().busy(); }));
        QElapsedTimer clock;
        clock.start();
        window.reset();
        QVERIFY(clock.elapsed() < 2000);
        QVERIFY(!DatabaseSession::instance().busy());
        QCoreApplication::processEvents(); // nothing arrives for the window that is gone

        frmQuery other;
        other.txtSQL->setPlainText(kLongCount);
        other.Run_Queries();
        QVERIFY(eventually([] { return DatabaseSession::instance().busy(); }));
        Close_Connection();
        QVERIFY(!DatabaseSession::instance().hasWorker());
        QVERIFY(waitForRun(other, 2000));
        QVERIFY(messageLines(other).contains("Query cancelled."));
    }

    // Cancelled file output leaves no part of a file, and an older file as it was.
    void cancelledExportLeavesTheOldFile() {
        const QString path = env.file("export.csv");
        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("old contents\r\n");
        old.close();
        frmQuery window;
        window.cboResults->setCurrentIndex(2);
        window.cboResults_Click();
        prompt.fileAnswers.enqueue(path);
        window.txtSQL->setPlainText(kManyRows);
        window.Run_Queries();
        QVERIFY(eventually([&] { return prompt.fileDialogs.size() == 1; }));
        QTest::qWait(200);
        QVERIFY(window.running());
        window.Cancel_Query();
        QVERIFY(waitForRun(window, 5000));
        QVERIFY(old.open(QIODevice::ReadOnly));
        QCOMPARE(old.readAll(), QByteArray("old contents\r\n"));
        QCOMPARE(QDir(env.path()).entryList({"export*"}), QStringList{"export.csv"});
        QVERIFY(messageLines(window).contains("Query cancelled."));
    }

    // Rows of a grid result stop at the memory limit, with a message; the rows fetched stay.
    void memoryGuardStopsARunawayResult() {
        programSettings()->setValue("Results/MemoryLimitMB", 1);
        frmQuery window;
        window.txtSQL->setPlainText(kManyRows);
        QVERIFY(runAndWait(window));
        const QStringList lines = messageLines(window);
        QVERIFY2(lines.value(1).startsWith("The fetch stopped after "),
                 qPrintable(lines.join("|")));
        QVERIFY(lines.value(1).contains("Set a record limit, or send the results to a file."));
        QVERIFY(window.grdResults->Rows() > 1000);
        QVERIFY(window.grdResults->Rows() < 100000);
        QCOMPARE(lines.last(), QString("Query Complete."));
    }

    // A lock held by another program is waited for in the background, saying so, until the
    // user cancels.
    void lockHeldByAnotherProgram() {
        sqlite3 *other = nullptr;
        QCOMPARE(sqlite3_open(sampleDatabasePath().toUtf8().constData(), &other), SQLITE_OK);
        QCOMPARE(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
        frmQuery window;
        window.txtSQL->setPlainText("UPDATE bonus SET sal = 2");
        window.Run_Queries();
        QVERIFY(eventually([&] {
            return window.statusPanel(1)->text() == "Waiting for a lock held by another program...";
        }));
        QTest::qWait(300);
        QVERIFY(window.running());
        window.Cancel_Query();
        QVERIFY(waitForRun(window, 2000));
        QVERIFY(messageLines(window).contains("Query cancelled."));
        sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
        sqlite3_close(other);
        window.txtSQL->setPlainText("UPDATE bonus SET sal = 2");
        QVERIFY(runAndWait(window));
        QCOMPARE(messageLines(window), QStringList({"", "Query Complete"}));
    }
};

QTEST_MAIN(tst_background)
#include "tst_background.moc"

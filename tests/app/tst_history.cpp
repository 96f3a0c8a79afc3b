// The query history: what a run records (never the password), the bound, the filter, and the
// History tab opening, copying and clearing statements.

#include "LogOnAnswer.h"
#include "RunAndWait.h"
#include "ScriptedPrompt.h"
#include "TestEnvironment.h"
#include "app/HistoryPanel.h"
#include "app/MDIMain.h"
#include "common/SelectTextOnFocus.h"
#include "db/frmLogin.h"
#include "db/modDatabase.h"
#include "editor/SqlEditor.h"
#include "query/QueryHistory.h"
#include "query/frmQuery.h"

#include <QAction>
#include <QClipboard>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QtTest>

class tst_history : public QObject {
    Q_OBJECT
    TestEnvironment env;
    ScriptedPrompt prompt;

    std::unique_ptr<MDIMain> start() {
        prompt.dialogHandlers.enqueue(logOnAnswer());
        auto main = std::make_unique<MDIMain>();
        main->Form_Load();
        return main;
    }

    static QStringList statements(const QList<HistoryEntry> &entries) {
        QStringList out;
        for (const HistoryEntry &e : entries)
            out << e.statement;
        return out;
    }

private slots:
    void cleanup() { Close_Connection(); }

    void aRunIsRecorded() {
        QueryHistory::instance().clear();
        auto main = start();
        frmQuery *query = main->activeQuery();
        query->txtSQL->setPlainText("SELECT * FROM emp;\nSELECT nope FROM dept;");
        query->Run_Queries();
        QVERIFY(waitForRun(*query));
        const QList<HistoryEntry> entries = QueryHistory::instance().recent();
        QCOMPARE(statements(entries), QStringList({"SELECT nope FROM dept", "SELECT * FROM emp"}));
        const HistoryEntry &failed = entries[0], &ok = entries[1];
        QVERIFY(!failed.ok);
        QVERIFY2(failed.error.contains("ORA-00904"), qPrintable(failed.error));
        QCOMPARE(failed.rows, qint64(-1));
        QVERIFY(ok.ok);
        QCOMPARE(ok.rows, qint64(14));
        QCOMPARE(ok.dataSource, QString("demo"));
        QCOMPARE(ok.user, QString("scott"));
        QCOMPARE(ok.batch, failed.batch);
        QVERIFY(ok.elapsedMs >= 0);
        QVERIFY(qAbs(ok.when.secsTo(QDateTime::currentDateTime())) < 60);
        // The password is nowhere in the file.
        QFile file(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) +
                   "/history.db");
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(!file.readAll().contains("tiger"));
    }

    void boundAndFilter() {
        QueryHistory history(env.file("bounded.db"), 3);
        for (const char *sql : {"SELECT 1 FROM dual", "select ename from EMP", "DELETE FROM bonus",
                                "SELECT '100%' FROM dual", "SELECT dname FROM dept"})
            history.record(
                {0, 1, QDateTime::currentDateTime(), "demo", "scott", sql, 1, 1.0, true, {}});
        QCOMPARE(statements(history.recent()),
                 QStringList(
                     {"SELECT dname FROM dept", "SELECT '100%' FROM dual", "DELETE FROM bonus"}));
        QCOMPARE(statements(history.recent("from")).size(), 3); // letter case ignored
        QCOMPARE(statements(history.recent("%")), QStringList({"SELECT '100%' FROM dual"}));
        QCOMPARE(statements(history.recent("_")), QStringList());
        history.setLimit(1);
        QCOMPARE(statements(history.recent()), QStringList({"SELECT dname FROM dept"}));
    }

    void historyTabOpensCopiesAndClears() {
        QueryHistory::instance().clear();
        auto main = start();
        frmQuery *query = main->activeQuery();
        query->txtSQL->setPlainText("SELECT dname FROM dept");
        query->Run_Queries();
        QVERIFY(waitForRun(*query));
        HistoryPanel *panel = main->historyPanel();
        main->tabLeft->setCurrentWidget(panel);
        QCOMPARE(panel->model()->rowCount(), 1);
        QCOMPARE(panel->model()->data(panel->model()->index(0, 0), Qt::DisplayRole).toString(),
                 QString("SELECT dname FROM dept"));
        panel->filter()->setText("nothing like it");
        QCOMPARE(panel->model()->rowCount(), 0);
        panel->filter()->clear();
        QCOMPARE(panel->model()->rowCount(), 1);

        // Enter: into the active window at the cursor.
        query->txtSQL->setPlainText("-- ");
        query->txtSQL->moveCursor(QTextCursor::End);
        panel->view()->setCurrentIndex(panel->model()->index(0, 0));
        QTest::keyClick(panel->view(), Qt::Key_Return);
        QCOMPARE(query->txtSQL->toPlainText(), QString("-- SELECT dname FROM dept"));
        // Open in New Window, Copy, Clear History.
        const int windows = main->queryWindows().size();
        panel->menu()->findChild<QAction *>("mnuHistoryOpenNew")->trigger();
        QCOMPARE(main->queryWindows().size(), windows + 1);
        QCOMPARE(main->activeQuery()->txtSQL->toPlainText(), QString("SELECT dname FROM dept"));
        panel->menu()->findChild<QAction *>("mnuHistoryCopy")->trigger();
        QCOMPARE(QGuiApplication::clipboard()->text(), QString("SELECT dname FROM dept"));
        prompt.buttonAnswers.enqueue(QMessageBox::Yes);
        panel->menu()->findChild<QAction *>("mnuHistoryClear")->trigger();
        QCOMPARE(panel->model()->rowCount(), 0);
        QVERIFY(QueryHistory::instance().recent().isEmpty());
        for (frmQuery *window : main->queryWindows())
            window->setUnSavedChanges(false);
    }
};

QTEST_MAIN(tst_history)
#include "tst_history.moc"

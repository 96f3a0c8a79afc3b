// The database module: connection state, Get_Recordset with its trace entries and labels, the
// failed log-on warning, and the sample database.

#include "ScriptedPrompt.h"
#include "TestEnvironment.h"
#include "common/frmTrace.h"
#include "db/embedded/EmbeddedSession.h"
#include "db/modDatabase.h"
#include "sql/AppError.h"

#include <QtTest>

class tst_database : public QObject {
    Q_OBJECT
    TestEnvironment env;
    ScriptedPrompt prompt;

    QString makeDatabase(const QString &name) {
        const QString path = env.file(name);
        bm::db::EmbeddedSession session("file:" + path.toStdString() + "?mode=rwc", "SCOTT");
        session.execute("CREATE TABLE T (ID INTEGER, NAME TEXT)");
        session.execute("INSERT INTO T VALUES (1, 'one'), (2, NULL), (3, 'three')");
        return path;
    }

    bool logOn(const QString &dataSource, const QString &password = "tiger") {
        Close_Connection();
        Build_Connection_String(dataSource, "scott", password);
        return Open_Connection();
    }

    QStringList traceEntries() {
        QStringList entries = traceWindow()->logText().split("\n\n");
        entries.removeAll(QString());
        return entries;
    }

private slots:
    void init() {
        prompt.messages.clear();
        if (frmTrace *window = existingTraceWindow())
            delete window;
    }
    void cleanup() { Close_Connection(); }

    void openAndCloseFollowTheConnectionStates() {
        Close_Connection(); // before any log-on: nothing happens
        Close_Connection();
        QVERIFY(!cnDatabase);
        QVERIFY(logOn(makeDatabase("states.db")));
        QCOMPARE(cnDatabase->state(), 1);
        const std::string inUse = cnDatabase->connectionString();
        // Opening again keeps the open connection and the string it was opened with.
        Build_Connection_String("other.db", "x", "y");
        QVERIFY(Open_Connection());
        QCOMPARE(cnDatabase->connectionString(), inUse);
        Close_Connection();
        QVERIFY(!cnDatabase);
        Close_Connection();
        QVERIFY(!cnDatabase);
        QVERIFY(prompt.messages.isEmpty());
        QVERIFY(traceWindow()->logText().isEmpty());
    }

    void recordsetsAndTheirTrace() {
        QVERIFY(logOn(makeDatabase("rows.db")));
        auto rs = Get_Recordset("SELECT * FROM T ORDER BY ID", 0);
        QCOMPARE(rs->recordCount(), std::size_t(3));
        QCOMPARE(rs->value("id").value(), std::string_view("1"));
        auto none = Get_Recordset("SELECT * FROM T WHERE ID > 10", 0);
        QVERIFY(none->eof());
        QCOMPARE(Get_Recordset("SELECT * FROM T", 2)->recordCount(), std::size_t(2));
        QCOMPARE(Get_Recordset("SELECT * FROM T", -1)->recordCount(), std::size_t(3));
        QCOMPARE(traceEntries(),
                 QStringList({"<SUCCESS>", "SELECT * FROM T", "<SUCCESS>", "SELECT * FROM T",
                              "<SUCCESS>", "SELECT * FROM T WHERE ID > 10", "<SUCCESS>",
                              "SELECT * FROM T ORDER BY ID"}));
    }

    void failingQueryIsTracedAndReachesTheCallerLabelled() {
        QVERIFY(logOn(makeDatabase("fail.db")));
        try {
            Get_Recordset("SELECT * FROM NOWHERE", 0);
            QFAIL("no error");
        } catch (const bm::AppError &e) {
            QCOMPARE(e.number(), bm::kErrStatementRejected);
            QVERIFY(QString::fromStdString(e.source()).endsWith("..modDatabase.Get_Recordset"));
            QCOMPARE(QString::fromStdString(e.description()),
                     QString("ORA-00942: table or view does not exist"));
        }
        QCOMPARE(traceEntries(), QStringList({"<FAILURE>", "SELECT * FROM NOWHERE"}));
    }

    void recordsetWithoutConnectionFails() {
        Close_Connection();
        try {
            Get_Recordset("SELECT 1", 0);
            QFAIL("no error");
        } catch (const bm::AppError &e) {
            QCOMPARE(e.number(), bm::kErrGeneral);
            QCOMPARE(QString::fromStdString(e.source()),
                     QString("Connection..modDatabase.Get_Recordset"));
        }
        QCOMPARE(traceEntries(), QStringList({"<FAILURE>", "SELECT 1"}));
    }

    void failedLogOnWarnsWithTheReason_data() {
        QTest::addColumn<QString>("dataSource");
        QTest::addColumn<QString>("reason");
        QTest::newRow("missing file") << env.file("absent.db") << "absent.db";
        QTest::newRow("oracle without client") << "orcl"
                                               << "Oracle client library not found";
    }
    void failedLogOnWarnsWithTheReason() {
        QFETCH(QString, dataSource);
        QFETCH(QString, reason);
        QVERIFY(!logOn(dataSource, "s3cret;pw"));
        QVERIFY(cnDatabase);
        QCOMPARE(cnDatabase->state(), 0);
        QCOMPARE(prompt.messages.size(), 1);
        const AskedMessage &asked = prompt.messages.first();
        QCOMPARE(asked.icon, QMessageBox::Warning);
        QCOMPARE(asked.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        QCOMPARE(asked.title, QString("Brindlemark"));
        QVERIFY(asked.text.startsWith("Database connection problem encountered.  Please review "
                                      "your SQLNet/Net8 service name and login credentials.\n\n"));
        QVERIFY2(asked.text.contains(reason), qPrintable(asked.text));
        QVERIFY(!asked.text.contains("s3cret"));
        QVERIFY(!traceWindow()->logText().contains("s3cret"));
        QVERIFY(!QFile::exists(env.file("absent.db")));
        // No copy of the password stays once the engine has failed.
        QVERIFY(!strConnect.contains("s3cret"));
        QVERIFY(!QString::fromStdString(cnDatabase->connectionString()).contains("s3cret"));
    }

    // The connection string keeps everything but the password once the engine has it.
    void passwordIsForgottenAfterLogOn() {
        QVERIFY(logOn("demo", "s3cret;pw"));
        QCOMPARE(strConnect,
                 QString("Provider=MSDAORA.1;Data Source=demo;Password=;User ID=scott"));
        QCOMPARE(QString::fromStdString(cnDatabase->connectionString()), strConnect);
        QCOMPARE(Get_Recordset("SELECT USER FROM DUAL", 0)->value(0).value(),
                 std::string_view("SCOTT"));
    }

    void sampleDatabaseIsMadeOnceAndRemade() {
        QFile::remove(sampleDatabasePath());
        QVERIFY(logOn("demo"));
        auto emp = Get_Recordset("SELECT EMPNO, ENAME, HIREDATE, COMM FROM EMP ORDER BY EMPNO", 0);
        QCOMPARE(emp->recordCount(), std::size_t(14));
        QCOMPARE(emp->value("ENAME").value(), std::string_view("SMITH"));
        QCOMPARE(emp->value("HIREDATE").value(), std::string_view("1980-12-17 00:00:00"));
        QVERIFY(!emp->value("COMM"));
        QCOMPARE(Get_Recordset("SELECT * FROM DEPT", 0)->recordCount(), std::size_t(4));
        QCOMPARE(Get_Recordset("SELECT * FROM SALGRADE", 0)->recordCount(), std::size_t(5));
        QCOMPARE(Get_Recordset("SELECT * FROM BONUS", 0)->recordCount(), std::size_t(0));
        QCOMPARE(
            Get_Recordset("SELECT HIREDATE FROM EMP WHERE ENAME = 'SCOTT'", 0)->value(0).value(),
            std::string_view("1987-04-19 00:00:00"));

        // Kept between log-ons: a change stays.
        cnDatabase->execute("DELETE FROM BONUS");
        cnDatabase->execute("INSERT INTO BONUS VALUES ('X', 'Y', 1, 2)");
        QVERIFY(logOn("DEMO"));
        QCOMPARE(Get_Recordset("SELECT * FROM BONUS", 0)->recordCount(), std::size_t(1));

        // Deleted or broken: made anew.
        Close_Connection();
        QVERIFY(QFile::remove(sampleDatabasePath()));
        QVERIFY(logOn("demo"));
        QCOMPARE(Get_Recordset("SELECT * FROM BONUS", 0)->recordCount(), std::size_t(0));
        Close_Connection();
        QFile broken(sampleDatabasePath());
        QVERIFY(broken.open(QIODevice::WriteOnly | QIODevice::Truncate));
        broken.write("this is not a database");
        broken.close();
        QVERIFY(logOn("demo"));
        QCOMPARE(Get_Recordset("SELECT * FROM EMP", 0)->recordCount(), std::size_t(14));
        QVERIFY(prompt.messages.isEmpty());
        // The broken file is kept aside; no half-made copies are left beside it.
        const QStringList files =
            QDir(QFileInfo(sampleDatabasePath()).path()).entryList(QDir::Files);
        QCOMPARE(files.size(), 2);
        QCOMPARE(files[0], QString("demo.db"));
        QVERIFY2(files[1].startsWith("demo.db.damaged-"), qPrintable(files[1]));
    }

    void sampleKeysAreEnforced() {
        QVERIFY(logOn("demo"));
        QVERIFY_THROWS_EXCEPTION(bm::AppError,
                                 cnDatabase->execute("INSERT INTO EMP (EMPNO, DEPTNO) VALUES "
                                                     "(1, 99)"));
        QVERIFY_THROWS_EXCEPTION(bm::AppError,
                                 cnDatabase->execute("INSERT INTO DEPT VALUES (10, 'X', 'Y')"));
    }
};

QTEST_MAIN(tst_database)
#include "tst_database.moc"

// The Oracle engine against the stand-in client library: loading the library, logging on,
// reading each type, errors, a dropped connection, cancel, and fetching in arrays.

#include "FakeOci.h"
#include "RecordsetCells.h"
#include "TestEnvironment.h"
#include "db/embedded/SampleDatabase.h"
#include "db/oracle/OciApi.h"
#include "db/oracle/OracleSession.h"
#include "sql/AppError.h"

#include <QtTest>
#include <dlfcn.h>
#include <thread>

using namespace bm::db;

namespace {

template <typename F> F fakeHook(const char *name) {
    return reinterpret_cast<F>(dlsym(RTLD_DEFAULT, name));
}

unsigned long roundTrips() {
    return fakeHook<unsigned long (*)()>("fakeoci_round_trips")();
}

} // namespace

class tst_oracle_engine : public QObject {
    Q_OBJECT
    TestEnvironment env;

    std::unique_ptr<Session> logOn(const std::string &service = "ORCL",
                                   const std::string &user = "scott",
                                   const std::string &password = "tiger") {
        return openOracleSession({"MSDAORA.1", service, password, user});
    }

    QString failure(const std::function<void()> &action, std::int32_t *number = nullptr) {
        try {
            action();
        } catch (const bm::AppError &e) {
            if (number)
                *number = e.number();
            return QString::fromStdString(e.description());
        }
        return "no error";
    }

private slots:
    void initTestCase() {
        const QString path = env.file("oracle.db");
        ensureSampleDatabase(path.toStdString(), sampleSchemaScript());
        qputenv("BM_FAKEOCI_DATABASE", path.toUtf8());
        setOracleClientLibrary(BM_FAKEOCI_PATH);
    }

    void loadingTheClientLibrary() {
        const oci::Client none = oci::loadClient({"/nowhere/libclntsh.so.19.1"});
        QVERIFY(!none.functions);
        QVERIFY(none.problem.starts_with("Oracle client library not found"));
        QVERIFY(none.problem.find("LD_LIBRARY_PATH") != std::string::npos);

        const oci::Client notOracle = oci::loadClient({BM_NOTOCI_PATH});
        QVERIFY(!notOracle.functions);
        QVERIFY2(notOracle.problem.find("lacks the function OCIEnvNlsCreate") != std::string::npos,
                 notOracle.problem.c_str());

        if (void *aio = dlopen("libaio.so.1", RTLD_NOW)) {
            dlclose(aio);
        } else {
            const oci::Client noAio = oci::loadClient({BM_NEEDSAIO_PATH});
            QVERIFY(!noAio.functions);
            QVERIFY2(noAio.problem.find("needs libaio") != std::string::npos &&
                         noAio.problem.find("libaio1") != std::string::npos,
                     noAio.problem.c_str());
        }

        const oci::Client fake = oci::loadClient({"/nowhere/libclntsh.so", BM_FAKEOCI_PATH});
        QVERIFY(fake.functions);
        QCOMPARE(fake.version, std::string("19.99.0.0.0"));
    }

    void logOnProblems_data() {
        QTest::addColumn<QString>("service");
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("message");
        QTest::newRow("unknown service") << "NOWHERE"
                                         << "scott"
                                         << "tiger"
                                         << "ORA-12154: TNS:could not resolve the connect "
                                            "identifier specified (the net service name";
        QTest::newRow("wrong password") << "ORCL"
                                        << "scott"
                                        << "lion"
                                        << "ORA-01017: invalid username/password; logon denied";
        QTest::newRow("locked account") << "ORCL"
                                        << "locked"
                                        << "tiger"
                                        << "ORA-28000: The account is locked.";
    }
    void logOnProblems() {
        QFETCH(QString, service);
        QFETCH(QString, user);
        QFETCH(QString, password);
        QFETCH(QString, message);
        std::int32_t number = 0;
        const QString text = failure(
            [&] { logOn(service.toStdString(), user.toStdString(), password.toStdString()); },
            &number);
        QVERIFY2(text.startsWith(message), qPrintable(text));
        QCOMPARE(number, bm::kErrGeneral);
    }

    // The forms of a data source Oracle users type all reach the server.
    void dataSourceForms() {
        for (const char *source : {"ORCL", "dbhost:1521/orcl",
                                   "(DESCRIPTION=(ADDRESS=(PROTOCOL=TCP)(HOST=dbhost)"
                                   "(PORT=1521))(CONNECT_DATA=(SERVICE_NAME=ORCL)))"}) {
            auto session = logOn(source);
            QVERIFY(session->isOpen());
        }
    }

    void typesAsText_data() {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<int>("type");
        const int numeric = int(FieldType::Numeric), text = int(FieldType::Text),
                  date = int(FieldType::Date), binary = int(FieldType::Binary);
        QTest::newRow("NUMBER") << "SELECT sal FROM emp WHERE ename = 'WARD'"
                                << "1250" << numeric;
        QTest::newRow("NUMBER with a fraction") << "SELECT 7/2 FROM dual"
                                                << "3.5" << numeric;
        QTest::newRow("VARCHAR2") << "SELECT ename FROM emp WHERE empno = 7839"
                                  << "KING" << text;
        QTest::newRow("DATE") << "SELECT hiredate FROM emp WHERE ename = 'KING'"
                              << "1981-11-17 00:00:00" << date;
        QTest::newRow("null") << "SELECT comm FROM emp WHERE ename = 'KING'"
                              << "(null)" << numeric;
        QTest::newRow("CLOB in pieces") << "SELECT RPAD('a', 2500, 'b') || 'z' clob_text FROM dual"
                                        << "a" + QString(2499, 'b') + "z" << text;
        QTest::newRow("empty CLOB") << "SELECT NULL clob_none FROM dual"
                                    << "(null)" << text;
        QTest::newRow("BLOB as hex") << "SELECT 'CAFE00BABE' blob_data FROM dual"
                                     << "CAFE00BABE" << binary;
        QTest::newRow("RAW") << "SELECT '0A1B' raw_data FROM dual"
                             << "0A1B" << binary;
        QTest::newRow("TIMESTAMP")
            << "SELECT TO_TIMESTAMP('2024-01-02 03:04:05.5', 'YYYY-MM-DD HH24:MI:SS.FF') ts_at "
               "FROM dual"
            << "2024-01-02 03:04:05.5" << date;
        QTest::newRow("INTERVAL") << "SELECT '+01 02:03:04.000000' ids_span FROM dual"
                                  << "+01 02:03:04.000000" << text;
        QTest::newRow("NVARCHAR2") << "SELECT 'äöü' nvc_name FROM dual"
                                   << "äöü" << text;
    }
    void typesAsText() {
        QFETCH(QString, sql);
        QFETCH(QString, expected);
        QFETCH(int, type);
        auto session = logOn();
        auto rows = session->query(sql.toStdString(), 0);
        QCOMPARE(recordsetCells(*rows), expected);
        QCOMPARE(int(rows->fieldType(0)), type);
    }

    void errorsCarryOraclesText() {
        auto session = logOn();
        std::int32_t number = 0;
        QCOMPARE(failure([&] { session->query("SELECT * FROM nowhere", 0); }, &number),
                 QString("ORA-00942: table or view does not exist"));
        QCOMPARE(number, bm::kErrStatementRejected);
        // The ";" a script puts after a statement is not sent to the server.
        QCOMPARE(session->execute("UPDATE bonus SET sal = 0;"), std::int64_t(0));
        // Words of a program unit inside a table's definition do not make it PL/SQL.
        QCOMPARE(
            session->execute("CREATE TABLE KINDS (TYPE VARCHAR2(10), PACKAGE_NAME VARCHAR2(30));"),
            std::int64_t(0));
        QCOMPARE(session->execute("UPDATE emp SET comm = comm WHERE deptno = 30"), std::int64_t(6));
        QVERIFY(session->isOpen());
    }

    void droppedConnectionThenNewLogOn() {
        auto session = logOn();
        QCOMPARE(session->query("SELECT COUNT(*) FROM emp", 0)->cell(0, 0), std::string_view("14"));
        fakeHook<void (*)()>("fakeoci_drop_connections")();
        std::int32_t number = 0;
        const QString text = failure([&] { session->query("SELECT 1 FROM dual", 0); }, &number);
        QVERIFY2(text.startsWith("ORA-03113: end-of-file on communication channel"),
                 qPrintable(text));
        QVERIFY(text.endsWith("Log on again."));
        QCOMPARE(number, bm::kErrGeneral);
        QVERIFY(!session->isOpen());
        QVERIFY(failure([&] { session->execute("COMMIT"); }).contains("Log on again"));
        session.reset();
        auto again = logOn();
        QCOMPARE(again->query("SELECT COUNT(*) FROM dept", 0)->cell(0, 0), std::string_view("4"));
    }

    void cancelDuringAFetch() {
        auto session = logOn();
        // 14^6 rows, streamed as they are found.
        auto cursor = session->open("SELECT a.empno FROM emp a, emp b, emp c, emp d, emp e, emp f");
        std::thread stopper([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            session->interrupt();
        });
        Recordset rows(cursor->fields());
        const QString text = failure([&] {
            while (cursor->fetch(rows, 1000)) {
            }
        });
        stopper.join();
        QCOMPARE(text, QString(kCancelledMessage));
        cursor.reset();
        session->clearInterrupt();
        QCOMPARE(session->query("SELECT COUNT(*) FROM emp", 0)->cell(0, 0), std::string_view("14"));
    }

    // Rows come in arrays of the size set, and a row limit asks for no row beyond it.
    void arrayFetchAndRowLimit() {
        auto session = logOn();
        setOracleFetchRows(500);
        unsigned long before = roundTrips();
        auto all = session->query("SELECT LEVEL FROM dual CONNECT BY LEVEL <= 1800", 0);
        QCOMPARE(all->recordCount(), std::size_t(1800));
        QCOMPARE(roundTrips() - before, 1ul + 4ul); // the execute, then 500+500+500+300
        before = roundTrips();
        auto limited = session->query("SELECT LEVEL FROM dual CONNECT BY LEVEL <= 1800", 7);
        QCOMPARE(limited->recordCount(), std::size_t(7));
        QCOMPARE(roundTrips() - before, 2ul);
        setOracleFetchRows(kDefaultOracleFetchRows);
    }
};

QTEST_MAIN(tst_oracle_engine)
#include "tst_oracle_engine.moc"

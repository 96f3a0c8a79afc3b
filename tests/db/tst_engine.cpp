// The engines on their own: connection strings, engine choice, recordset storage and the
// embedded engine's errors, against real SQLite files.

#include "db/Connection.h"
#include "db/core/ConnectionString.h"
#include "db/embedded/EmbeddedSession.h"
#include "sql/AppError.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace bm::db;

Q_DECLARE_METATYPE(EngineKind)

namespace {

QString str(const std::string &s) {
    return QString::fromStdString(s);
}

QString cellText(const Recordset &rs, std::size_t row, int field) {
    const auto value = rs.cell(row, field);
    return value ? QString::fromUtf8(value->data(), qsizetype(value->size())) : QString("<null>");
}

} // namespace

class tst_engine : public QObject {
    Q_OBJECT
    QTemporaryDir dir;

    std::string dbPath(const char *name) { return dir.filePath(name).toStdString(); }

    // A file with a small table of numbers, texts and nulls.
    std::string smallDatabase() {
        const std::string path = dbPath("small.db");
        EmbeddedSession session("file:" + path + "?mode=rwc", "SCOTT");
        session.execute("DROP TABLE IF EXISTS T");
        session.execute("CREATE TABLE T (ID INTEGER, NAME VARCHAR2(10), AMOUNT NUMBER(7,2))");
        session.execute("INSERT INTO T VALUES (1, '  padded  ', 2.5), (2, NULL, 3.0), (3, '', "
                        "NULL)");
        return path;
    }

private slots:
    void connectionStringIsBuiltAsTyped_data() {
        QTest::addColumn<QString>("service");
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("expected");
        QTest::newRow("plain")
            << "orcl"
            << "scott"
            << "tiger"
            << "Provider=MSDAORA.1;Data Source=orcl;Password=tiger;User ID=scott";
        QTest::newRow("empty fields") << ""
                                      << ""
                                      << ""
                                      << "Provider=MSDAORA.1;Data Source=;Password=;User ID=";
        QTest::newRow("spaces kept") << " orcl "
                                     << " scott"
                                     << "ti ger "
                                     << "Provider=MSDAORA.1;Data Source= orcl ;Password=ti ger "
                                        ";User ID= scott";
        QTest::newRow("semicolon quoted") << "orcl"
                                          << "scott"
                                          << "ab;cd"
                                          << "Provider=MSDAORA.1;Data Source=orcl;"
                                             "Password=\"ab;cd\";User ID=scott";
        QTest::newRow("leading quote doubled") << "orcl"
                                               << "scott"
                                               << "\"x\"y"
                                               << "Provider=MSDAORA.1;Data Source=orcl;"
                                                  "Password=\"\"\"x\"\"y\";User ID=scott";
        QTest::newRow("inner quote verbatim") << "orcl"
                                              << "o\"brien"
                                              << "a=b"
                                              << "Provider=MSDAORA.1;Data Source=orcl;"
                                                 "Password=a=b;User ID=o\"brien";
    }
    void connectionStringIsBuiltAsTyped() {
        QFETCH(QString, service);
        QFETCH(QString, user);
        QFETCH(QString, password);
        QFETCH(QString, expected);
        const std::string built = buildConnectionString(service.toStdString(), user.toStdString(),
                                                        password.toStdString());
        QCOMPARE(str(built), expected);
        const ConnectionSettings read = parseConnectionString(built);
        QCOMPARE(str(read.provider), QString("MSDAORA.1"));
        QCOMPARE(str(read.dataSource), service);
        QCOMPARE(str(read.userId), user);
        QCOMPARE(str(read.password), password);
    }

    void engineFollowsTheDataSource_data() {
        QTest::addColumn<QString>("dataSource");
        QTest::addColumn<EngineKind>("engine");
        QTest::newRow("demo") << "demo" << EngineKind::Sample;
        QTest::newRow("DEMO") << "DEMO" << EngineKind::Sample;
        QTest::newRow("demo.db") << "/tmp/demo.db" << EngineKind::File;
        QTest::newRow("sqlite") << "x.SQLite" << EngineKind::File;
        QTest::newRow("sqlite3") << "x.sqlite3" << EngineKind::File;
        QTest::newRow("uri") << "file:x?mode=rwc" << EngineKind::File;
        QTest::newRow("service") << "orcl" << EngineKind::Oracle;
        QTest::newRow("easy connect") << "dbhost:1521/ORCLPDB1" << EngineKind::Oracle;
        QTest::newRow("demo2") << "demo2" << EngineKind::Oracle;
    }
    void engineFollowsTheDataSource() {
        QFETCH(QString, dataSource);
        QFETCH(EngineKind, engine);
        QCOMPARE(chooseEngine(dataSource.toStdString()), engine);
    }

    void valuesAreTextOrNullUntrimmed() {
        EmbeddedSession session(smallDatabase(), "SCOTT");
        auto rs = session.query("SELECT ID, NAME, AMOUNT FROM T ORDER BY ID", 0);
        QCOMPARE(rs->fieldCount(), 3);
        QCOMPARE(str(rs->fieldName(1)), QString("NAME"));
        QCOMPARE(rs->fieldType(0), FieldType::Numeric);
        QCOMPARE(rs->fieldType(1), FieldType::Text);
        QCOMPARE(rs->fieldIndex("amount"), 2);
        QCOMPARE(rs->fieldIndex("nope"), -1);
        QCOMPARE(rs->recordCount(), std::size_t(3));
        QCOMPARE(str(std::string(*rs->value("name"))), QString("  padded  "));
        QCOMPARE(str(std::string(*rs->value(2))), QString("2.5"));
        rs->moveNext();
        QVERIFY(!rs->value("NAME"));
        QCOMPARE(str(std::string(*rs->value(2))), QString("3")); // a whole real, as a number
        rs->moveNext();
        QVERIFY(!rs->value(1)); // '' was stored as null, as Oracle stores it
        QVERIFY(!rs->value(2));
        rs->moveNext();
        QVERIFY(rs->eof());
        QVERIFY_THROWS_EXCEPTION(bm::AppError, rs->moveNext());
        try {
            rs->value("NAME");
            QFAIL("no error");
        } catch (const bm::AppError &e) {
            QCOMPARE(e.number(), bm::kErrGeneral);
        }
    }

    void unknownFieldNameIsAnError() {
        EmbeddedSession session(smallDatabase(), "SCOTT");
        auto rs = session.query("SELECT ID FROM T", 0);
        try {
            rs->value("MISSING");
            QFAIL("no error");
        } catch (const bm::AppError &e) {
            QCOMPARE(e.number(), bm::kErrItemNotFound);
        }
    }

    void rowLimit_data() {
        QTest::addColumn<int>("limit");
        QTest::addColumn<int>("rows");
        QTest::newRow("zero means all") << 0 << 3;
        QTest::newRow("negative means all") << -5 << 3;
        QTest::newRow("one") << 1 << 1;
        QTest::newRow("exact") << 3 << 3;
        QTest::newRow("above") << 100 << 3;
    }
    void rowLimit() {
        QFETCH(int, limit);
        QFETCH(int, rows);
        EmbeddedSession session(smallDatabase(), "SCOTT");
        QCOMPARE(session.query("SELECT * FROM T", limit)->recordCount(), std::size_t(rows));
    }

    void statementWithoutResultHasNoFields() {
        EmbeddedSession session(smallDatabase(), "SCOTT");
        auto rs = session.query("UPDATE T SET ID = ID + 10", 0);
        QCOMPARE(rs->fieldCount(), 0);
        QVERIFY(rs->eof());
        QCOMPARE(session.query("SELECT min(ID) FROM T", 0)->value(0).value(),
                 std::string_view("11"));
    }

    // Many rows of uneven length, with nulls and values bigger than a chunk, read back exactly:
    // this crosses page and chunk boundaries of the column store.
    void largeResultsReadBackExactly() {
        const std::string path = dbPath("large.db");
        EmbeddedSession session("file:" + path + "?mode=rwc", "SCOTT");
        session.execute("CREATE TABLE BIG (N INTEGER, S TEXT)");
        session.execute("WITH RECURSIVE c(n) AS (SELECT 0 UNION ALL SELECT n + 1 FROM c "
                        "WHERE n < 49999) INSERT INTO BIG SELECT n, CASE WHEN n % 7 = 0 THEN NULL "
                        "WHEN n % 10007 = 5 THEN printf('%.*c', 100000 + n, 'x') "
                        "ELSE substr(printf('%.*c', 40, 'a'), 1, n % 37) || n END FROM c");
        auto rs = session.query("SELECT N, S FROM BIG ORDER BY N", 0);
        QCOMPARE(rs->recordCount(), std::size_t(50000));
        for (std::size_t n = 0; n < 50000; ++n) {
            QString expected;
            if (n % 7 == 0)
                expected = "<null>";
            else if (n % 10007 == 5)
                expected = QString(int(100000 + n), 'x');
            else
                expected = QString(int(n % 37), 'a') + QString::number(n);
            if (cellText(*rs, n, 1) != expected)
                QFAIL(qPrintable(QString("row %1 differs").arg(n)));
            QCOMPARE(cellText(*rs, n, 0), QString::number(n));
        }
        // The cursor agrees with random access.
        std::size_t seen = 0;
        for (; !rs->eof(); rs->moveNext())
            seen += rs->value(1) ? 1 : 0;
        QCOMPARE(seen, std::size_t(50000 - (49999 / 7 + 1)));
    }

    void rejectedStatementsAndOtherFailures_data() {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("message");
        QTest::newRow("unknown table") << "SELECT * FROM NOPE" << bm::kErrStatementRejected
                                       << "ORA-00942: table or view does not exist";
        QTest::newRow("syntax") << "SELEC 1" << bm::kErrStatementRejected << "syntax error";
        QTest::newRow("constraint")
            << "INSERT INTO T (ID, AMOUNT) VALUES (9, -1) " << bm::kErrStatementRejected << "";
        QTest::newRow("two statements")
            << "SELECT 1; SELECT 2" << bm::kErrStatementRejected << "one statement";
        QTest::newRow("empty") << "  " << bm::kErrStatementRejected << "empty";
    }
    void rejectedStatementsAndOtherFailures() {
        QFETCH(QString, sql);
        QFETCH(int, number);
        QFETCH(QString, message);
        const std::string path = smallDatabase();
        {
            EmbeddedSession setup(path, "SCOTT");
            setup.execute("CREATE TABLE IF NOT EXISTS C (ID INTEGER, AMOUNT NUMBER CHECK "
                          "(AMOUNT >= 0))");
        }
        EmbeddedSession session(path, "SCOTT");
        const std::string text = sql.replace("INTO T", "INTO C").toStdString();
        try {
            session.execute(text);
            QFAIL("no error");
        } catch (const bm::AppError &e) {
            QCOMPARE(e.number(), number);
            QVERIFY2(str(e.description()).contains(message), e.description().c_str());
        }
    }

    void closedSessionsAndMissingFilesFailAsGeneralErrors() {
        EmbeddedSession session(smallDatabase(), "SCOTT");
        session.close();
        QVERIFY(!session.isOpen());
        try {
            session.query("SELECT 1", 0);
            QFAIL("no error");
        } catch (const bm::AppError &e) {
            QCOMPARE(e.number(), bm::kErrGeneral);
        }
        QVERIFY_THROWS_EXCEPTION(bm::AppError, EmbeddedSession(dbPath("missing.db"), "SCOTT"));
        QVERIFY(!QFile::exists(QString::fromStdString(dbPath("missing.db"))));
        QFile junk(dir.filePath("junk.db"));
        QVERIFY(junk.open(QIODevice::WriteOnly));
        junk.write(QByteArray(4096, 'j'));
        junk.close();
        try {
            EmbeddedSession broken(dbPath("junk.db"), "SCOTT");
            QFAIL("opened a file that is not a database");
        } catch (const bm::AppError &e) {
            QCOMPARE(e.number(), bm::kErrGeneral);
            QVERIFY(str(e.description()).contains("not a database"));
        }
    }
};

QTEST_MAIN(tst_engine)
#include "tst_engine.moc"

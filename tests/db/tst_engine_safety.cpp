// What typed SQL and a second copy of the program must never do to the embedded engine: reach
// files outside the database, break it, crash the program or replace a database in use.

#include "TestEnvironment.h"
#include "db/embedded/EmbeddedSession.h"
#include "db/embedded/SampleDatabase.h"
#include "sql/AppError.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>
#include <sqlite3.h>
#include <sys/stat.h>

using namespace bm::db;

namespace {

QString str(const std::string &s) {
    return QString::fromStdString(s);
}

QString single(Session &s, const std::string &sql) {
    auto rs = s.query(sql, 0);
    if (rs->eof())
        return "<no row>";
    const auto v = rs->value(0);
    return v ? QString::fromUtf8(v->data(), qsizetype(v->size())) : QString("<null>");
}

// The error a statement raises, or an empty error when it runs.
bm::AppError errorOf(Session &s, const std::string &sql) {
    try {
        s.execute(sql);
    } catch (const bm::AppError &e) {
        return e;
    }
    return bm::AppError(0, {}, {});
}

ino_t inode(const std::string &path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? st.st_ino : 0;
}

} // namespace

class tst_engine_safety : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    std::string script;

    std::string path(const QString &name) { return dir.filePath(name).toStdString(); }

    std::string sample(const QString &name) {
        const std::string p = path(name);
        ensureSampleDatabase(p, script);
        return p;
    }

private slots:
    void initTestCase() { script = sampleSchemaScript(); }

    // Statements SQLite has and Oracle does not, that reach past the database or weaken it.
    void hostileStatementsAreRefused_data() {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QString>("message");
        const QString outside = QString::fromStdString(path("outside.db"));
        QTest::newRow("vacuum into") << "VACUUM INTO '" + outside + "'"
                                     << "ORA-00900: invalid SQL statement";
        QTest::newRow("vacuum") << "  /* c */ vacuum"
                                << "ORA-00900: invalid SQL statement";
        QTest::newRow("attach") << "ATTACH DATABASE '" + outside + "' AS other"
                                << "ORA-00900: invalid SQL statement";
        QTest::newRow("detach") << "DETACH DATABASE temp"
                                << "ORA-00900: invalid SQL statement";
        QTest::newRow("writable schema") << "PRAGMA writable_schema=ON"
                                         << "ORA-00900: invalid SQL statement";
        QTest::newRow("journal off") << "PRAGMA journal_mode=OFF"
                                     << "ORA-00900: invalid SQL statement";
        QTest::newRow("temp directory") << "PRAGMA temp_store_directory='" + dir.path() + "'"
                                        << "ORA-00900: invalid SQL statement";
        QTest::newRow("keys off") << "pragma foreign_keys = off"
                                  << "ORA-00900: invalid SQL statement";
        QTest::newRow("extension") << "SELECT load_extension('/tmp/x.so') FROM DUAL"
                                   << "ORA-00904: \"LOAD_EXTENSION\": invalid identifier";
        QTest::newRow("schema table") << "UPDATE sqlite_master SET sql = 'x' WHERE name = 'EMP'"
                                      << "";
    }
    void hostileStatementsAreRefused() {
        QFETCH(QString, sql);
        QFETCH(QString, message);
        const std::string file = sample("hostile.db");
        EmbeddedSession s(file, "scott");
        const bm::AppError e = errorOf(s, sql.toStdString());
        QCOMPARE(e.number(), bm::kErrStatementRejected);
        QVERIFY2(str(e.description()).contains(message), e.description().c_str());
        // Nothing was made outside, the database is whole and the session still works.
        QVERIFY(!QFile::exists(dir.filePath("outside.db")));
        QCOMPARE(single(s, "SELECT COUNT(*) FROM EMP"), QString("14"));
    }

    // The engine's own statements keep working under the same rules: the dictionary reads
    // SQLite's schema through pragma functions, and keys stay enforced.
    void ownStatementsStillRun() {
        EmbeddedSession s(sample("own.db"), "scott");
        QCOMPARE(single(s, "SELECT COUNT(*) FROM USER_TAB_COLUMNS WHERE TABLE_NAME = 'EMP'"),
                 QString("8"));
        s.execute("CREATE TABLE T2 (ID NUMBER PRIMARY KEY)");
        QCOMPARE(single(s, "SELECT COUNT(*) FROM USER_CONSTRAINTS WHERE TABLE_NAME = 'T2'"),
                 QString("1"));
        const bm::AppError e = errorOf(s, "INSERT INTO EMP (EMPNO, DEPTNO) VALUES (1, 99)");
        QCOMPARE(e.number(), bm::kErrStatementRejected);
        QVERIFY2(str(e.description())
                     .startsWith("ORA-02291: integrity constraint violated - parent key not found"),
                 e.description().c_str());
    }

    // Deep nesting is refused with a clear message instead of overflowing the stack; nesting
    // a real statement uses still runs, with Oracle's || rule applied at every level.
    void nestingDepthIsLimited() {
        EmbeddedSession s(sample("nesting.db"), "scott");
        for (int depth : {14000, 256}) {
            const std::string sql =
                "SELECT " + std::string(depth, '(') + "1" + std::string(depth, ')') + " FROM DUAL";
            const bm::AppError e = errorOf(s, sql);
            QCOMPARE(e.number(), bm::kErrStatementRejected);
            QVERIFY2(str(e.description()).contains("nested too deeply"), e.description().c_str());
        }
        const std::string unclosed = "SELECT " + std::string(20000, '(') + " FROM DUAL";
        QCOMPARE(errorOf(s, unclosed).number(), bm::kErrStatementRejected);
        std::string cases = "NULL";
        for (int i = 0; i < 20000; ++i)
            cases = "CASE WHEN 1=1 THEN " + cases + " END";
        QCOMPARE(errorOf(s, "SELECT " + cases + " FROM DUAL").number(), bm::kErrStatementRejected);

        const std::string deep = "SELECT " + std::string(60, '(') + "'a' || NULL" +
                                 std::string(60, ')') + " || (CASE WHEN 1=1 THEN NULL || 'b' " +
                                 "END) X FROM DUAL";
        QCOMPARE(single(s, deep), QString("ab"));
    }

    // LPAD and RPAD never build more than VARCHAR2 holds, and refuse widths no NUMBER is.
    void padWidthsAreBounded_data() {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QString>("expected"); // length of the result, or the error
        QTest::newRow("huge") << "SELECT LENGTH(LPAD('x', 2000000000)) FROM DUAL"
                              << "4000";
        QTest::newRow("huge right") << "SELECT LENGTH(RPAD('x', 1e10, 'ab')) FROM DUAL"
                                    << "4000";
        QTest::newRow("limit") << "SELECT LENGTH(LPAD('x', 4000)) FROM DUAL"
                               << "4000";
        QTest::newRow("ordinary") << "SELECT LENGTH(LPAD('x', 12.9)) FROM DUAL"
                                  << "12";
        QTest::newRow("negative") << "SELECT LPAD('x', -1e300) FROM DUAL"
                                  << "ORA-01426";
        QTest::newRow("overflow") << "SELECT LPAD('x', 1e300) FROM DUAL"
                                  << "ORA-01426";
        QTest::newRow("infinite") << "SELECT RPAD('x', 9e999) FROM DUAL"
                                  << "ORA-01722";
    }
    void padWidthsAreBounded() {
        QFETCH(QString, sql);
        QFETCH(QString, expected);
        EmbeddedSession s(sample("pad.db"), "scott");
        try {
            QCOMPARE(single(s, sql.toStdString()), expected);
        } catch (const bm::AppError &e) {
            QCOMPARE(e.number(), bm::kErrStatementRejected);
            QVERIFY2(str(e.description()).startsWith(expected), e.description().c_str());
        }
    }

    void malformedHierarchicalQueriesAreSyntaxErrors() {
        EmbeddedSession s(sample("connectby.db"), "scott");
        for (const char *sql : {"SELECT.* FROM emp CONNECT BY PRIOR empno = mgr",
                                "SELECT (.*) FROM emp CONNECT BY PRIOR empno = mgr",
                                "SELECT a, .* FROM emp CONNECT BY PRIOR empno = mgr"}) {
            const bm::AppError e = errorOf(s, sql);
            QCOMPARE(e.number(), bm::kErrStatementRejected);
            QVERIFY2(!e.description().empty(), sql);
        }
        QCOMPARE(single(s, "SELECT e.* FROM emp e START WITH mgr IS NULL CONNECT BY PRIOR "
                           "empno = mgr"),
                 QString("7839"));
    }

    // A second copy of the program logging on while the first writes must leave the file (and
    // the first one's work) alone.
    void sampleInUseIsNeverRebuilt() {
        const std::string file = sample("busy.db");
        const ino_t before = inode(file);
        EmbeddedSession writer(file, "scott");
        writer.execute("BEGIN EXCLUSIVE");
        writer.execute("INSERT INTO BONUS VALUES ('KEPT', 'CLERK', 1, 2)");
        QCOMPARE(sampleFileState(file), SampleFileState::InUse);
        ensureSampleDatabase(file, script);
        QCOMPARE(inode(file), before);
        writer.execute("COMMIT");
        EmbeddedSession reader(file, "scott");
        QCOMPARE(single(reader, "SELECT ENAME FROM BONUS"), QString("KEPT"));
    }

    // A damaged file is moved aside, with its journal, and a fresh one is built.
    void damagedSampleIsMovedAsideAndRebuilt_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("not a database") << QByteArray(8192, 'j');
    }
    void damagedSampleIsMovedAsideAndRebuilt() {
        QFETCH(QByteArray, content);
        QTemporaryDir own;
        const std::string file = own.filePath("demo.db").toStdString();
        for (const QString &name : {QString("demo.db"), QString("demo.db-journal")}) {
            QFile f(own.filePath(name));
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(content);
        }
        QCOMPARE(sampleFileState(file), SampleFileState::Damaged);
        ensureSampleDatabase(file, script);
        QCOMPARE(sampleFileState(file), SampleFileState::Usable);
        EmbeddedSession s(file, "scott");
        QCOMPARE(single(s, "SELECT COUNT(*) FROM EMP"), QString("14"));
        // The damaged file is kept aside; no journal of it is left beside the new database.
        const QStringList kept = QDir(own.path()).entryList({"demo.db.damaged-*"});
        const QStringList main = kept.filter(QRegularExpression("\\d$"));
        QCOMPARE(main.size(), 1);
        QCOMPARE(QFileInfo(own.filePath(main[0])).size(), qint64(content.size()));
        QVERIFY(!QFile::exists(own.filePath("demo.db-journal")));
    }

    // A copy made by an older sample script is kept aside and built anew, so that every folder of
    // the schema tree has something to show.
    void outdatedSampleIsMovedAsideAndRebuilt() {
        QTemporaryDir own;
        const std::string file = own.filePath("demo.db").toStdString();
        ensureSampleDatabase(file, script);
        {
            EmbeddedSession old(file, "scott");
            old.execute("INSERT INTO BONUS VALUES ('OLD', 'COPY', 1, 2)");
        }
        {
            sqlite3 *db = nullptr;
            QCOMPARE(sqlite3_open(file.c_str(), &db), SQLITE_OK);
            QCOMPARE(sqlite3_exec(db, "PRAGMA user_version = 1", nullptr, nullptr, nullptr),
                     SQLITE_OK);
            sqlite3_close(db);
        }
        QCOMPARE(sampleFileState(file), SampleFileState::Outdated);
        ensureSampleDatabase(file, script);
        QCOMPARE(sampleFileState(file), SampleFileState::Usable);
        EmbeddedSession s(file, "scott");
        QCOMPARE(single(s, "SELECT COUNT(*) FROM BONUS"), QString("0"));
        QCOMPARE(single(s, "SELECT CONSTRAINT_TYPE FROM USER_CONSTRAINTS WHERE CONSTRAINT_NAME = "
                           "'UK_DEPT_DNAME'"),
                 QString("U"));
        QCOMPARE(QDir(own.path()).entryList({"demo.db.outdated-*"}).size(), 1);
    }

    void readOnlyDatabaseSaysSo() {
        const std::string file = sample("readonly.db");
        EmbeddedSession s("file:" + file + "?mode=ro", "scott");
        QVERIFY(s.readOnly());
        QCOMPARE(single(s, "SELECT COUNT(*) FROM DEPT"), QString("4"));
        const bm::AppError e = errorOf(s, "DELETE FROM DEPT");
        QCOMPARE(e.number(), bm::kErrGeneral);
        QVERIFY2(str(e.description()).contains("readonly"), e.description().c_str());
        EmbeddedSession writable(file, "scott");
        QVERIFY(!writable.readOnly());
    }
};

QTEST_MAIN(tst_engine_safety)
#include "tst_engine_safety.moc"

// The embedded engine's Oracle dialect, on the sample database: every statement text the program
// itself sends, Oracle's null and function rules, hierarchical queries and EXPLAIN PLAN.

#include "TestEnvironment.h"
#include "db/embedded/EmbeddedSession.h"
#include "db/embedded/SampleDatabase.h"
#include "sql/AppError.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <unistd.h>

using namespace bm::db;

namespace {

const QString kCreatePlanTable =
    "CREATE TABLE PLAN_TABLE ( statement_id    varchar2(30), timestamp       date, "
    "remarks         varchar2(80), operation       varchar2(30), options         varchar2(30), "
    "object_node     varchar2(128), object_owner    varchar2(30), object_name     varchar2(30), "
    "object_instance numeric, object_type     varchar2(30), optimizer       varchar2(255), "
    "search_columns  number, id      numeric, parent_id   numeric, position    numeric, "
    "cost        numeric, cardinality numeric, bytes       numeric, "
    "other_tag       varchar2(255), partition_start varchar2(255), "
    "partition_stop  varchar2(255), partition_id    numeric, other       long, "
    "distribution    varchar2(30))";

const QString kDeletePlan = "DELETE FROM PLAN_TABLE WHERE Statement_Id = 'TAVISTOK' ";
const QString kExplain = "Explain Plan set Statement_Id = 'TAVISTOK' FOR  ";
const QString kPlanQuery =
    "SELECT  LPAD (' ', 2 *(level -1))||Operation|| Decode (other_tag,null,'','*')||"
    "Decode (options,null,'','('||options||')')|| Decode (object_name,null,'',' of '''"
    "||object_name||'''')|| Decode (object_type,null,'',' '||object_type||')')|| "
    "Decode (id,0,decode(optimizer,null,'',' optimizer='||optimizer))|| "
    "Decode (cost,null,'',' cost='||cost)|| Decode(cardinality,null,'',' card ='||cardinality) "
    "Plan From PLAN_TABLE start with id=0 and statement_id = 'TAVISTOK' connect by prior "
    "id=parent_id and statement_id = 'TAVISTOK' order by id,position";
const QString kPlanSums =
    "SELECT SUM(COST), Sum(Cardinality) FROM PLAN_TABLE WHERE  Statement_Id = 'TAVISTOK' ";
const QString kSessions =
    "select a.spid pid, b.sid sid, b.serial# ser#, b.machine box, b.username username,"
    "b.osuser os_user, b.program program from v$session b, v$process a  Where b.paddr = a.addr"
    " and    type='USER' and b.username is not null order  by spid";

QString text(const std::optional<std::string_view> &value) {
    return value ? QString::fromUtf8(value->data(), qsizetype(value->size())) : "<null>";
}

// One column of a result, as text.
QStringList column(Recordset &rs, const QString &name) {
    QStringList values;
    const int field = rs.fieldIndex(name.toStdString());
    for (; !rs.eof(); rs.moveNext())
        values << text(rs.value(field));
    return values;
}

} // namespace

class tst_dialect : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    std::string script;
    int counter = 0;

    // A fresh copy of the sample database for each test.
    std::unique_ptr<EmbeddedSession> sample() {
        const std::string path = dir.filePath(QString("demo%1.db").arg(++counter)).toStdString();
        ensureSampleDatabase(path, script);
        return std::make_unique<EmbeddedSession>(path, "scott");
    }

    QStringList values(EmbeddedSession &s, const QString &sql, const QString &name) {
        auto rs = s.query(sql.toStdString(), 0);
        return column(*rs, name);
    }

    static void expectRejected(const std::function<void()> &run, const QString &message) {
        try {
            run();
            QFAIL("no error raised");
        } catch (const bm::AppError &e) {
            QCOMPARE(e.number(), bm::kErrStatementRejected);
            QVERIFY2(QString::fromStdString(e.description()).contains(message),
                     e.description().c_str());
        }
    }

private slots:
    void initTestCase() { script = sampleSchemaScript(); }

    // The statements the program sends to fill its trees, verbatim, with the rows Oracle gives.
    void programStatements_data() {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("tables") << "SELECT * FROM USER_TABLES WHERE TABLE_NAME <>'PLAN_TABLE'"
                                << "TABLE_NAME" << QStringList{"DEPT", "EMP", "BONUS", "SALGRADE"};
        QTest::newRow("views") << "SELECT VIEW_NAME FROM USER_VIEWS"
                               << "VIEW_NAME" << QStringList{"EMP_DEPT_V"};
        QTest::newRow("column names")
            << "SELECT COLUMN_NAME, DATA_TYPE, DATA_LENGTH, NULLABLE FROM USER_TAB_COLUMNS "
               "WHERE TABLE_NAME = 'EMP'"
            << "COLUMN_NAME"
            << QStringList{"EMPNO", "ENAME", "JOB", "MGR", "HIREDATE", "SAL", "COMM", "DEPTNO"};
        QTest::newRow("column types")
            << "SELECT COLUMN_NAME, DATA_TYPE, DATA_LENGTH, NULLABLE FROM USER_TAB_COLUMNS "
               "WHERE TABLE_NAME = 'EMP'"
            << "DATA_TYPE" << QStringList{"NUMBER", "VARCHAR2", "VARCHAR2", "NUMBER",
                                          "DATE",   "NUMBER",   "NUMBER",   "NUMBER"};
        QTest::newRow("column lengths")
            << "SELECT COLUMN_NAME, DATA_TYPE, DATA_LENGTH, NULLABLE FROM USER_TAB_COLUMNS "
               "WHERE TABLE_NAME = 'EMP'"
            << "DATA_LENGTH" << QStringList{"22", "10", "9", "22", "7", "22", "22", "22"};
        QTest::newRow("column nullable")
            << "SELECT COLUMN_NAME, DATA_TYPE, DATA_LENGTH, NULLABLE FROM USER_TAB_COLUMNS "
               "WHERE TABLE_NAME = 'DEPT'"
            << "NULLABLE" << QStringList{"N", "Y", "Y"};
        QTest::newRow("indexes") << "SELECT * FROM USER_INDEXES WHERE TABLE_NAME = 'EMP'"
                                 << "INDEX_NAME" << QStringList{"EMP_DEPTNO_IX", "PK_EMP"};
        QTest::newRow("index uniqueness") << "SELECT * FROM USER_INDEXES WHERE TABLE_NAME = 'EMP'"
                                          << "UNIQUENESS" << QStringList{"NONUNIQUE", "UNIQUE"};
        QTest::newRow("constraints")
            << "SELECT * FROM USER_CONSTRAINTS WHERE TABLE_NAME = 'EMP'"
            << "CONSTRAINT_NAME" << QStringList{"PK_EMP", "FK_DEPTNO", "CK_EMP_SAL"};
        QTest::newRow("constraint types")
            << "SELECT * FROM USER_CONSTRAINTS WHERE TABLE_NAME = 'EMP'"
            << "CONSTRAINT_TYPE" << QStringList{"P", "R", "C"};
        QTest::newRow("foreign key target")
            << "SELECT * FROM USER_CONSTRAINTS WHERE TABLE_NAME = 'EMP'"
            << "R_CONSTRAINT_NAME" << QStringList{"<null>", "PK_DEPT", "<null>"};
        QTest::newRow("triggers") << "SELECT * FROM USER_TRIGGERS WHERE TABLE_NAME = 'EMP'"
                                  << "TRIGGER_NAME" << QStringList{"EMP_ENAME_UPPER"};
        QTest::newRow("trigger type") << "SELECT * FROM USER_TRIGGERS WHERE TABLE_NAME = 'EMP'"
                                      << "TRIGGER_TYPE" << QStringList{"AFTER EACH ROW"};
        QTest::newRow("no triggers") << "SELECT * FROM USER_TRIGGERS WHERE TABLE_NAME = 'DEPT'"
                                     << "TRIGGER_NAME" << QStringList{};
        QTest::newRow("sessions") << kSessions << "USERNAME" << QStringList{"SCOTT"};
        QTest::newRow("session process")
            << kSessions << "PID" << QStringList{QString::number(getpid())};
        QTest::newRow("dictionary")
            << "SELECT TABLE_NAME FROM DICTIONARY WHERE TABLE_NAME LIKE 'USER%'"
            << "TABLE_NAME"
            << QStringList{"USER_CONSTRAINTS", "USER_CONS_COLUMNS", "USER_INDEXES",
                           "USER_IND_COLUMNS", "USER_OBJECTS",      "USER_SEQUENCES",
                           "USER_TABLES",      "USER_TAB_COLUMNS",  "USER_TRIGGERS",
                           "USER_VIEWS"};
        QTest::newRow("dual") << "SELECT * FROM DUAL"
                              << "DUMMY" << QStringList{"X"};
    }
    void programStatements() {
        QFETCH(QString, sql);
        QFETCH(QString, field);
        QFETCH(QStringList, expected);
        auto s = sample();
        s->execute(kCreatePlanTable.toStdString()); // never listed among the tables
        QCOMPARE(values(*s, sql, field), expected);
    }

    void dictionaryViewsHaveOraclesColumns() {
        auto s = sample();
        const std::pair<const char *, int> views[] = {
            {"USER_TABLES", 48},   {"USER_VIEWS", 10},      {"USER_TAB_COLUMNS", 30},
            {"USER_INDEXES", 52},  {"USER_IND_COLUMNS", 7}, {"USER_CONSTRAINTS", 20},
            {"USER_TRIGGERS", 13}, {"USER_OBJECTS", 12},    {"DICTIONARY", 2},
            {"DICT", 2},           {"V$PROCESS", 16},       {"DUAL", 1}};
        for (const auto &[view, columns] : views) {
            auto rs = s->query(std::string("SELECT * FROM ") + view, 0);
            QVERIFY2(rs->fieldCount() == columns, view);
        }
        auto session = s->query("SELECT * FROM V$SESSION", 0);
        QCOMPARE(QString::fromStdString(session->fieldName(2)), QString("SERIAL#"));
        QCOMPARE(text(session->value("TYPE")), QString("USER"));
    }

    void dictionaryFollowsTheSchema() {
        auto s = sample();
        s->execute("CREATE TABLE Orders (ID INTEGER PRIMARY KEY, CODE VARCHAR2(5) NOT NULL "
                   "UNIQUE, QTY NUMBER(5,1) CHECK (QTY > 0), DEPT NUMBER(2) REFERENCES DEPT "
                   "ON DELETE CASCADE, NOTE TEXT)");
        QVERIFY(values(*s, "SELECT TABLE_NAME FROM USER_TABLES", "TABLE_NAME").contains("ORDERS"));
        auto rs = s->query("SELECT COLUMN_NAME, DATA_TYPE, DATA_LENGTH, DATA_PRECISION, "
                           "DATA_SCALE, NULLABLE FROM USER_TAB_COLUMNS WHERE TABLE_NAME = "
                           "'ORDERS' ORDER BY COLUMN_ID",
                           0);
        QStringList rows;
        for (; !rs->eof(); rs->moveNext()) {
            QStringList cells;
            for (int i = 0; i < rs->fieldCount(); ++i)
                cells << text(rs->value(i));
            rows << cells.join(' ');
        }
        QCOMPARE(rows, QStringList({"ID INTEGER 22 <null> 0 N", "CODE VARCHAR2 5 <null> <null> N",
                                    "QTY NUMBER 22 5 1 Y", "DEPT NUMBER 22 2 0 Y",
                                    "NOTE TEXT 4000 <null> <null> Y"}));
        const QString constraints =
            "SELECT CONSTRAINT_NAME, CONSTRAINT_TYPE, GENERATED, DELETE_RULE FROM "
            "USER_CONSTRAINTS WHERE TABLE_NAME = 'ORDERS'";
        const QStringList names = values(*s, constraints, "CONSTRAINT_NAME");
        QCOMPARE(names.size(), 5); // P, NOT NULL, U, C, R
        for (const QString &name : names)
            QVERIFY2(QRegularExpression("^SYS_C\\d{7}$").match(name).hasMatch(), qPrintable(name));
        QCOMPARE(values(*s, constraints, "CONSTRAINT_NAME"), names); // the same next time
        QCOMPARE(values(*s, constraints, "CONSTRAINT_TYPE"),
                 QStringList({"P", "C", "U", "C", "R"}));
        QCOMPARE(values(*s, constraints, "DELETE_RULE").last(), QString("CASCADE"));
        QCOMPARE(values(*s, "SELECT INDEX_NAME FROM USER_INDEXES WHERE TABLE_NAME = 'ORDERS'",
                        "INDEX_NAME"),
                 QStringList{names[2]}); // the unique key's index takes its name
        s->execute("DROP TABLE Orders");
        QVERIFY(values(*s, "SELECT * FROM USER_CONSTRAINTS WHERE TABLE_NAME = 'ORDERS'",
                       "CONSTRAINT_NAME")
                    .isEmpty());
    }

    void sessionsAreListedWhileOpen() {
        auto first = sample();
        {
            EmbeddedSession second(dir.filePath("demo1.db").toStdString(), "adams");
            QCOMPARE(values(*first, kSessions, "USERNAME"), QStringList({"SCOTT", "ADAMS"}));
        }
        QCOMPARE(values(*first, kSessions, "USERNAME"), QStringList({"SCOTT"}));
    }

    void oracleRules_data() {
        QTest::addColumn<QString>("expression");
        QTest::addColumn<QString>("expected");
        QTest::newRow("|| left null") << "'a' || NULL"
                                      << "a";
        QTest::newRow("|| right null") << "NULL || 'b'"
                                       << "b";
        QTest::newRow("|| both null") << "NULL || NULL"
                                      << "<null>";
        QTest::newRow("|| number") << "'x' || 1"
                                   << "x1";
        QTest::newRow("|| chain in call") << "upper('a' || NULL || 'b')"
                                          << "AB";
        QTest::newRow("|| column") << "'[' || dummy || ']'"
                                   << "[X]";
        QTest::newRow("|| case") << "'c' || CASE WHEN 1 = 1 THEN NULL END"
                                 << "c";
        QTest::newRow("lpad pattern") << "LPAD('Page 1', 15, '*.')"
                                      << "*.*.*.*.*Page 1";
        QTest::newRow("lpad cut") << "LPAD('Stay tuned', 4)"
                                  << "Stay";
        QTest::newRow("lpad zero") << "LPAD(' ', 0)"
                                   << "<null>";
        QTest::newRow("lpad negative") << "LPAD('x', -1)"
                                       << "<null>";
        QTest::newRow("lpad indent") << "LPAD(' ', 2 * (3 - 1))"
                                     << "    ";
        QTest::newRow("lpad null") << "LPAD(NULL, 3)"
                                   << "<null>";
        QTest::newRow("rpad") << "RPAD('ab', 5, 'xy')"
                              << "abxyx";
        QTest::newRow("rpad fraction") << "RPAD('ab', 3.9)"
                                       << "ab ";
        QTest::newRow("decode null matches null") << "DECODE(NULL, NULL, 'n', 'o')"
                                                  << "n";
        QTest::newRow("decode second") << "DECODE(2, 1, 'one', 2, 'two')"
                                       << "two";
        QTest::newRow("decode no default") << "DECODE(3, 1, 'one')"
                                           << "<null>";
        QTest::newRow("decode default") << "DECODE(3, 1, 'one', 'other')"
                                        << "other";
        QTest::newRow("decode numbers") << "DECODE('2.0', 2, 'two', 'no')"
                                        << "two";
        QTest::newRow("decode empty is null") << "DECODE(1, 1, '')"
                                              << "<null>";
        QTest::newRow("nvl") << "NVL(NULL, 5)"
                             << "5";
        QTest::newRow("nvl kept") << "NVL('a', 'b')"
                                  << "a";
        QTest::newRow("nvl2 set") << "NVL2(1, 'a', 'b')"
                                  << "a";
        QTest::newRow("nvl2 null") << "NVL2(NULL, 'a', 'b')"
                                   << "b";
        QTest::newRow("user") << "USER"
                              << "SCOTT";
        QTest::newRow("literals untouched") << "'|| # CONNECT BY EXPLAIN PLAN USER' || 'x'"
                                            << "|| # CONNECT BY EXPLAIN PLAN USERx";
        QTest::newRow("comments untouched") << "'a' /* || NULL CONNECT BY */ -- EXPLAIN\n || 'b'"
                                            << "ab";
        QTest::newRow("quoted names untouched") << "\"DUMMY\" || 'y'"
                                                << "Xy";
    }
    void oracleRules() {
        QFETCH(QString, expression);
        QFETCH(QString, expected);
        auto s = sample();
        auto rs = s->query(("SELECT " + expression + " FROM DUAL").toStdString(), 0);
        QCOMPARE(text(rs->value(0)), expected);
    }

    void sysdateAndHeadings() {
        auto s = sample();
        auto rs = s->query("select sysdate, 'a' || null, dummy d, count(*) \"Count\", "
                           "serial# from (select 1 serial#, dummy from dual)",
                           0);
        QVERIFY(QRegularExpression("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d$")
                    .match(text(rs->value(0)))
                    .hasMatch());
        QStringList headings;
        for (int i = 0; i < rs->fieldCount(); ++i)
            headings << QString::fromStdString(rs->fieldName(i));
        QCOMPARE(headings, QStringList({"SYSDATE", "'A'||NULL", "D", "Count", "SERIAL#"}));
    }

    void hierarchicalQueryOverEmp() {
        auto s = sample();
        auto rs = s->query("SELECT LPAD(' ', 2*(LEVEL-1)) || ename AS name, level FROM emp "
                           "START WITH mgr IS NULL CONNECT BY PRIOR empno = mgr",
                           0);
        QStringList rows;
        for (; !rs->eof(); rs->moveNext())
            rows << text(rs->value(0)) + "(" + text(rs->value(1)) + ")";
        QCOMPARE(rows, QStringList({"KING(1)", "  JONES(2)", "    SCOTT(3)", "      ADAMS(4)",
                                    "    FORD(3)", "      SMITH(4)", "  BLAKE(2)", "    ALLEN(3)",
                                    "    WARD(3)", "    MARTIN(3)", "    TURNER(3)", "    JAMES(3)",
                                    "  CLARK(2)", "    MILLER(3)"}));
        // PRIOR on the other side, an alias, a filter that keeps descendants, and ORDER BY.
        QCOMPARE(values(*s,
                        "SELECT e.ename, LEVEL lvl FROM emp e WHERE e.job <> 'MANAGER' "
                        "CONNECT BY e.mgr = PRIOR e.empno START WITH e.ename = 'KING'",
                        "ENAME"),
                 QStringList({"KING", "SCOTT", "ADAMS", "FORD", "SMITH", "ALLEN", "WARD", "MARTIN",
                              "TURNER", "JAMES", "MILLER"}));
        QCOMPARE(values(*s,
                        "SELECT * FROM emp START WITH ename = 'BLAKE' CONNECT BY PRIOR empno = "
                        "mgr ORDER BY ename",
                        "ENAME"),
                 QStringList({"ALLEN", "BLAKE", "JAMES", "MARTIN", "TURNER", "WARD"}));
        auto all =
            s->query("SELECT * FROM emp CONNECT BY PRIOR empno = mgr START WITH mgr IS NULL", 0);
        QCOMPARE(all->fieldCount(), 8); // no columns of the engine's own
        QCOMPARE(all->recordCount(), std::size_t(14));
        // Without START WITH every row is a root.
        QCOMPARE(s->query("SELECT ename FROM emp CONNECT BY PRIOR empno = mgr", 0)->recordCount(),
                 std::size_t(39));
    }

    void hierarchicalQueryLoopsAndLimits() {
        auto s = sample();
        s->execute(
            "UPDATE emp SET mgr = 7876 WHERE empno = 7788"); // SCOTT and ADAMS manage each other
        const std::string loop =
            "SELECT ename FROM emp START WITH ename = 'SCOTT' CONNECT BY PRIOR empno = mgr";
        expectRejected([&] { s->query(loop, 0); }, "ORA-01436: CONNECT BY loop in user data");
        QCOMPARE(values(*s,
                        "SELECT ename FROM emp START WITH ename = 'SCOTT' CONNECT BY NOCYCLE "
                        "PRIOR empno = mgr",
                        "ENAME"),
                 QStringList({"SCOTT", "ADAMS"}));
        const QString unsupported[][2] = {
            {"SELECT CONNECT_BY_ISCYCLE FROM emp CONNECT BY NOCYCLE PRIOR empno = mgr",
             "CONNECT_BY_ISCYCLE"},
            {"SELECT e.ename FROM emp e, dept d CONNECT BY PRIOR e.empno = e.mgr", "join"},
            {"SELECT ename FROM emp CONNECT BY empno = mgr", "PRIOR"}};
        for (const auto &[sql, name] : unsupported)
            expectRejected([&] { s->query(sql.toStdString(), 0); }, name);
    }

    void explainPlanFillsThePlanTable() {
        auto s = sample();
        // As Oracle does, the engine gives every session a plan table of its own.
        s->execute((kExplain + "SELECT * FROM EMP").toStdString());
        QVERIFY(s->query(kPlanQuery.toStdString(), 0)->recordCount() > 0);
        s->execute(kCreatePlanTable.toStdString());
        expectRejected([&] { s->execute(kCreatePlanTable.toStdString()); },
                       "ORA-00955: name is already used by an existing object");
        expectRejected([&] { s->execute("EXPLAIN PLAN INTO MY_PLANS FOR SELECT * FROM EMP"); },
                       "ORA-02404: specified plan table not found");

        s->execute(kDeletePlan.toStdString());
        s->execute((kExplain + "SELECT * FROM EMP").toStdString());
        auto plan = s->query(kPlanQuery.toStdString(), 0);
        QCOMPARE(QString::fromStdString(plan->fieldName(0)), QString("PLAN"));
        QCOMPARE(column(*plan, "PLAN"), QStringList({"SELECT STATEMENT optimizer=ALL_ROWS",
                                                     "  TABLE ACCESS(FULL) of 'EMP' TABLE)"}));
        auto sums = s->query(kPlanSums.toStdString(), 0);
        QCOMPARE(sums->fieldCount(), 2);
        QCOMPARE(sums->recordCount(), std::size_t(1));

        // A second statement replaces the first; an index shows up under its table.
        s->execute(kDeletePlan.toStdString());
        s->execute(
            (kExplain + "SELECT ename FROM emp WHERE deptno = 10 ORDER BY ename").toStdString());
        QCOMPARE(values(*s, kPlanQuery, "PLAN"),
                 QStringList({"SELECT STATEMENT optimizer=ALL_ROWS", "  SORT(ORDER BY)",
                              "    TABLE ACCESS(BY INDEX ROWID) of 'EMP' TABLE)",
                              "      INDEX(RANGE SCAN) of 'EMP_DEPTNO_IX' INDEX)"}));
        auto rows = s->query("SELECT ID, PARENT_ID, POSITION, OBJECT_OWNER FROM PLAN_TABLE "
                             "WHERE STATEMENT_ID = 'TAVISTOK' ORDER BY ID",
                             0);
        QStringList shape;
        for (; !rows->eof(); rows->moveNext())
            shape << text(rows->value(0)) + "/" + text(rows->value(1)) + "/" +
                         text(rows->value(2)) + "/" + text(rows->value(3));
        QCOMPARE(shape, QStringList({"0/<null>/<null>/<null>", "1/0/1/<null>", "2/1/1/SCOTT",
                                     "3/2/1/SCOTT"}));

        // A join, a key lookup and DML.
        s->execute(kDeletePlan.toStdString());
        s->execute((kExplain + "SELECT e.ename, d.dname FROM emp e, dept d WHERE d.deptno = "
                               "e.deptno AND e.empno = 7839")
                       .toStdString());
        const QStringList join = values(*s, kPlanQuery, "PLAN");
        QVERIFY2(join.contains("  NESTED LOOPS"), qPrintable(join.join('\n')));
        QVERIFY2(join.contains("      INDEX(UNIQUE SCAN) of 'PK_EMP' INDEX (UNIQUE))"),
                 qPrintable(join.join('\n')));
        s->execute(kDeletePlan.toStdString());
        s->execute((kExplain + "DELETE FROM emp WHERE sal > 1000").toStdString());
        QCOMPARE(values(*s, kPlanQuery, "PLAN").mid(0, 2),
                 QStringList({"DELETE STATEMENT optimizer=ALL_ROWS", "  DELETE of 'EMP'"}));
        QCOMPARE(values(*s, "SELECT COUNT(*) N FROM EMP", "N"), QStringList{"14"}); // not run

        // An invalid statement fails with its own error and writes nothing.
        s->execute(kDeletePlan.toStdString());
        expectRejected([&] { s->execute((kExplain + "SELECT * FROM NOWHERE").toStdString()); },
                       "NOWHERE");
        QCOMPARE(values(*s, "SELECT COUNT(*) N FROM PLAN_TABLE", "N"), QStringList{"0"});
        // Without a statement id the rows carry none.
        s->execute("EXPLAIN PLAN FOR SELECT * FROM DEPT");
        QCOMPARE(values(*s, "SELECT COUNT(*) N FROM PLAN_TABLE WHERE STATEMENT_ID IS NULL", "N"),
                 QStringList{"2"});
    }

    void commitOutsideATransactionSucceeds() {
        auto s = sample();
        s->execute("INSERT INTO BONUS VALUES ('A', 'B', 1, 2)");
        s->execute("COMMIT");
        s->execute("ROLLBACK WORK");
        QCOMPARE(values(*s, "SELECT COUNT(*) N FROM BONUS", "N"), QStringList{"1"});
    }
};

QTEST_MAIN(tst_dialect)
#include "tst_dialect.moc"

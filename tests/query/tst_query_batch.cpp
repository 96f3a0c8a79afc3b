// Cutting a run's text into statements and classing them.

#include "query/QueryBatch.h"

#include <QtTest>

class tst_query_batch : public QObject {
    Q_OBJECT
private slots:
    void splitting_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("statements"); // each as "TYPE:text"
        QTest::newRow("one, no semicolon")
            << "SELECT 1 FROM DUAL" << QStringList{"SELECT:SELECT 1 FROM DUAL"};
        QTest::newRow("empty text") << "" << QStringList{"GENERAL:"};
        QTest::newRow("blanks only") << "   " << QStringList{"GENERAL:"};
        QTest::newRow("two, second unterminated")
            << "SELECT 1 FROM DUAL; select 2 from dual"
            << QStringList{"SELECT:SELECT 1 FROM DUAL", "SELECT:select 2 from dual"};
        QTest::newRow("two terminated")
            << "select 1 from dual; delete from t;"
            << QStringList{"SELECT:select 1 from dual", "GENERAL:delete from t"};
        QTest::newRow("trailing blanks and comment dropped")
            << "delete from t;   -- done\n  " << QStringList{"GENERAL:delete from t"};
        QTest::newRow("two semicolons in a row")
            << "delete from a;;delete from b;"
            << QStringList{"GENERAL:delete from a", "GENERAL:", "GENERAL:delete from b"};
        QTest::newRow("semicolon in a literal")
            << "insert into t values ('a;b'); select 'x;y' from dual"
            << QStringList{"GENERAL:insert into t values ('a;b')", "SELECT:select 'x;y' from dual"};
        QTest::newRow("doubled quote in a literal")
            << "select 'it''s; fine' from dual;"
            << QStringList{"SELECT:select 'it''s; fine' from dual"};
        QTest::newRow("quoted name")
            << "select \"a;b\" from t; commit"
            << QStringList{"SELECT:select \"a;b\" from t", "GENERAL:commit"};
        QTest::newRow("line comment")
            << "select 1 -- one; two\nfrom dual; commit"
            << QStringList{"SELECT:select 1 -- one; two\nfrom dual", "GENERAL:commit"};
        QTest::newRow("block comment")
            << "/* a; b */ select 1 from dual; commit"
            << QStringList{"SELECT:/* a; b */ select 1 from dual", "GENERAL:commit"};
        QTest::newRow("leading line break")
            << "select 1 from dual;\nselect 2 from dual;"
            << QStringList{"SELECT:select 1 from dual", "SELECT:\nselect 2 from dual"};
        QTest::newRow("with") << "WITH x AS (SELECT 1 a FROM dual) SELECT a FROM x"
                              << QStringList{"SELECT:WITH x AS (SELECT 1 a FROM dual) SELECT a "
                                             "FROM x"};
        QTest::newRow("parenthesis") << "(select 1 from dual) union (select 2 from dual)"
                                     << QStringList{"SELECT:(select 1 from dual) union (select "
                                                    "2 from dual)"};
        QTest::newRow("tab and lower case")
            << "\tsElEcT 1 from dual" << QStringList{"SELECT:\tsElEcT 1 from dual"};
        QTest::newRow("selected is not select")
            << "selected_rows" << QStringList{"GENERAL:selected_rows"};
        QTest::newRow("plsql block with slash")
            << "BEGIN\n  x := 1;\n  y := 2;\nEND;\n/\nselect 1 from dual;"
            << QStringList{"GENERAL:BEGIN\n  x := 1;\n  y := 2;\nEND;",
                           "SELECT:select 1 from dual"};
        QTest::newRow("plsql block to the end")
            << "declare n number; begin n := 1; end;"
            << QStringList{"GENERAL:declare n number; begin n := 1; end;"};
        QTest::newRow("trigger with slash and spaces")
            << "CREATE OR REPLACE TRIGGER t AFTER INSERT ON e BEGIN UPDATE e SET a = 1; END;\n"
               "  /  \nCOMMIT"
            << QStringList{"GENERAL:CREATE OR REPLACE TRIGGER t AFTER INSERT ON e BEGIN UPDATE e "
                           "SET a = 1; END;",
                           "GENERAL:COMMIT"};
        QTest::newRow("package body") << "create package body p as x; end;\n/"
                                      << QStringList{"GENERAL:create package body p as x; end;"};
        QTest::newRow("slash inside a literal is no end")
            << "BEGIN x := '\n/\n'; END;\n/" << QStringList{"GENERAL:BEGIN x := '\n/\n'; END;"};
        QTest::newRow("letters beyond ASCII")
            << "select 'é;ü' from dual; select 'ß' \"Straße\" from dual"
            << QStringList{"SELECT:select 'é;ü' from dual",
                           "SELECT:select 'ß' \"Straße\" from dual"};
        QTest::newRow("slash line with CR LF")
            << "BEGIN\r\n  x := 1;\r\nEND;\r\n/\r\nCOMMIT"
            << QStringList{"GENERAL:BEGIN\r\n  x := 1;\r\nEND;", "GENERAL:COMMIT"};
        QTest::newRow("division is no slash line")
            << "BEGIN\n  x := 4\n  / 2;\nEND;\n/"
            << QStringList{"GENERAL:BEGIN\n  x := 4\n  / 2;\nEND;"};
        QTest::newRow("slash after a comment is no end")
            << "BEGIN NULL; END; -- x\n/* c */ /\n/"
            << QStringList{"GENERAL:BEGIN NULL; END; -- x\n/* c */ /"};
        QTest::newRow("create table is no block")
            << "create table t (a number); create type_x; drop table t"
            << QStringList{"GENERAL:create table t (a number)", "GENERAL:create type_x",
                           "GENERAL:drop table t"};
    }
    void splitting() {
        QFETCH(QString, text);
        QFETCH(QStringList, statements);
        const colQueries queries = Split_Queries(text);
        QStringList actual;
        for (const auto &query : queries) {
            actual << query->QueryType + ":" + query->QueryString;
            QVERIFY(query->QueryValid);
        }
        QCOMPARE(actual, statements);
    }

    void collection() {
        colQueries queries;
        queries.Add("SELECT", "a", true);
        queries.Add("GENERAL", "b", true, "k");
        QCOMPARE(queries.Count(), 2);
        QCOMPARE(queries.Item(1).QueryString, QString("a"));
        QCOMPARE(queries.Item("k").QueryString, QString("b"));
        queries.Remove(1);
        QCOMPARE(queries.Item(1).QueryType, QString("GENERAL"));
        queries.Remove("k");
        QCOMPARE(queries.Count(), 0);
    }
};

QTEST_MAIN(tst_query_batch)
#include "tst_query_batch.moc"

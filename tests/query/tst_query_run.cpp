// Running SQL through a query window on the sample database: batches, SELECT output to the grid,
// the text pane and a file, the plan and the statistics.

#include "RunAndWait.h"
#include "ScriptedPrompt.h"
#include "TestEnvironment.h"
#include "db/modDatabase.h"
#include "editor/SqlEditor.h"
#include "query/PlanAndStats.h"
#include "query/QueryRunner.h"
#include "query/ResultGrid.h"
#include "query/frmQuery.h"
#include "settings/AppOptions.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QStandardPaths>
#include <QTextEdit>
#include <QTreeWidget>
#include <QtTest>

class tst_query_run : public QObject {
    Q_OBJECT
    TestEnvironment env;
    ScriptedPrompt prompt;

    static QStringList messageLines(frmQuery &window) {
        return window.txtMessage->toPlainText().split('\n');
    }

    static void run(frmQuery &window, const QString &sql) {
        window.txtSQL->setPlainText(sql);
        QVERIFY(runAndWait(window));
    }

    static QStringList stats(frmQuery &window) {
        QStringList items;
        for (int i = 0; i < window.lvwStats->topLevelItemCount(); ++i)
            items << window.lvwStats->topLevelItem(i)->text(0) + "=" +
                         window.lvwStats->topLevelItem(i)->text(1);
        return items;
    }

private slots:
    void init() {
        AppOptions = {"Grid", 1, 0, "", 0, 1};
        QLocale::setDefault(QLocale::c());
        QFile::remove(sampleDatabasePath());
        Close_Connection();
        Build_Connection_String("demo", "scott", "tiger");
        QVERIFY(Open_Connection());
        cnDatabase->execute(planTableStatement().toStdString());
        prompt.messages.clear();
        prompt.fileDialogs.clear();
        prompt.dialogs.clear();
    }
    void cleanup() { Close_Connection(); }

    void batchWithAFailure() {
        frmQuery window;
        window.selectTab("statistics");
        run(window, "SELECT ename FROM emp WHERE deptno = 10;\n"
                    "INSERT INTO bonus VALUES ('X', 'Y', 1, 2);\n"
                    "SELECT * FROM nowhere;\n"
                    "SELECT dname\nFROM dept");
        QCOMPARE(
            messageLines(window),
            QStringList({"", "Query Complete.", "Query Complete",
                         "ORA-00942: table or view does not exist    ( SELECT * FROM nowhere...)",
                         "Query Complete."}));
        QCOMPARE(window.statusPanel(1)->text(), QString("Query batch complete with errors."));
        QCOMPARE(window.selectedTabKey(), QString("messages"));
        QCOMPARE(window.visiblePane(), window.txtMessage);
        QVERIFY(window.runner().BatchHasErrors);
        // The last statement spans two lines and ran whole.
        QCOMPARE(window.grdResults->Rows(), 5);
        QCOMPARE(window.grdResults->TextMatrix(0, 1), QString("DNAME"));
        QCOMPARE(window.statusPanel("reccount")->text(), QString("4 rows"));
    }

    void batchWithoutFailureKeepsTheTab() {
        frmQuery window;
        window.selectTab("statistics");
        run(window, "select count(*) from emp;\nupdate bonus set sal = 1");
        QCOMPARE(messageLines(window), QStringList({"", "Query Complete.", "Query Complete"}));
        QCOMPARE(window.statusPanel(1)->text(), QString("Query batch complete."));
        QCOMPARE(window.selectedTabKey(), QString("statistics"));
        QVERIFY(!window.runner().BatchHasErrors);
    }

    void emptyEditorFailsVisibly() {
        frmQuery window;
        run(window, "");
        QCOMPARE(messageLines(window).size(), 2);
        QVERIFY(messageLines(window)[1].endsWith("    (...)"));
        QCOMPARE(window.statusPanel(1)->text(), QString("Query batch complete with errors."));
    }

    void errorLineShowsThirtyCharactersOnOneLine() {
        QCOMPARE(
            QueryRunner::errorLine("bad\nthing\r\nhere", "SELECT *\nFROM a_table_with_a_long_name"),
            QString("badthing\rhere    (SELECT * FROM a_table_with_a_l...)"));
        QCOMPARE(QueryRunner::errorLine("x", "short"), QString("x    (short...)"));
    }

    void selectionRunsAlone() {
        frmQuery window;
        window.txtSQL->setPlainText("SELECT * FROM dept;\nSELECT * FROM emp;");
        QTextCursor cursor = window.txtSQL->textCursor();
        cursor.setPosition(20);
        cursor.setPosition(38, QTextCursor::KeepAnchor);
        window.txtSQL->setTextCursor(cursor);
        QCOMPARE(window.runner().textToRun(), QString("SELECT * FROM emp;"));
        QVERIFY(runAndWait(window));
        QCOMPARE(window.grdResults->Rows(), 15);
    }

    void rowLimitAndStatistics() {
        frmQuery window;
        window.txtMaxRecords->setText("10");
        run(window, "SELECT * FROM emp");
        QCOMPARE(window.grdResults->Rows(), 11);
        QCOMPARE(window.runner().figures.RecordCount, QString("10"));
        const QStringList items = stats(window);
        QCOMPARE(items.size(), 5);
        QCOMPARE(items[0], QString("Total Records=10"));
        QVERIFY(items[1].startsWith("Cost="));
        QVERIFY(items[2].startsWith("Cardinality="));
        QVERIFY(QRegularExpression("^Retrieval Time=\\d+\\.\\d\\d seconds$")
                    .match(items[3])
                    .hasMatch());
        QVERIFY(QRegularExpression("^Display Results Time=\\d+\\.\\d\\d seconds$")
                    .match(items[4])
                    .hasMatch());
        QCOMPARE(window.statusPanel("reccount")->text(), QString("10 rows"));
    }

    void showResultsOffKeepsThePreviousStatistics() {
        frmQuery window;
        run(window, "SELECT * FROM dept");
        const QString display = window.runner().figures.DisplayTime;
        window.chkShowResults->click();
        run(window, "SELECT * FROM emp");
        QCOMPARE(window.runner().figures.RecordCount, QString("4"));
        QCOMPARE(window.runner().figures.DisplayTime, display);
        QCOMPARE(stats(window).first(), QString("Total Records=4"));
        QCOMPARE(window.grdResults->Rows(), 1);
    }

    void gridTextAndFileAgree() {
        cnDatabase->execute("INSERT INTO bonus VALUES ('A, B', 'say \"hi\"', NULL, 3)");
        cnDatabase->execute("INSERT INTO bonus VALUES ('  padded  ', 'two\nlines', 1.5, NULL)");
        const QString sql = "SELECT ename, job, sal, comm FROM bonus";
        frmQuery grid;
        run(grid, sql);
        frmQuery text;
        text.cboResults->setCurrentIndex(1);
        text.cboResults_Click();
        run(text, sql);
        QCOMPARE(text.visiblePane(), text.txtResults);
        const QString expected = "ENAME,JOB,SAL,COMM\r\n"
                                 "\"A, B\",\"say \"\"hi\"\"\",,3\r\n"
                                 "padded,\"two\nlines\",1.5,\r\n";
        QCOMPARE(text.txtResults->toPlainText(), QString(expected).replace("\r\n", "\n"));
        QCOMPARE(text.runner().figures.RecordCount, QString("2"));

        frmQuery file;
        file.cboResults->setCurrentIndex(2);
        file.cboResults_Click();
        const QString path = env.file("results.csv");
        prompt.fileAnswers.enqueue(path);
        run(file, sql);
        QCOMPARE(prompt.fileDialogs,
                 QStringList{"save: Save As | Text File (*.txt);;Microsoft Excel File (*.xls);;"
                             "All Files (*.*) | sql"});
        QFile written(path);
        QVERIFY(written.open(QIODevice::ReadOnly));
        const QByteArray bytes = written.readAll();
        QCOMPARE(bytes, (expected + "\r\n").toUtf8());
        QCOMPARE(file.statusPanel("reccount")->text(), QString("2 rows"));

        // A real CSV reader reads back what the grid shows.
        const QString python = QStandardPaths::findExecutable("python3");
        if (python.isEmpty())
            QSKIP("no python3 to read the file with");
        QProcess reader;
        reader.start(python, {"-c",
                              "import csv,json,sys; print(json.dumps(list(csv.reader("
                              "open(sys.argv[1], newline='', encoding='utf-8')))))",
                              path});
        QVERIFY(reader.waitForFinished(20000));
        const QJsonArray rows = QJsonDocument::fromJson(reader.readAllStandardOutput()).array();
        QCOMPARE(rows.size(), 4);
        QVERIFY(rows[3].toArray().isEmpty()); // the empty line that ends the file
        for (int r = 0; r < 3; ++r)
            for (int c = 1; c <= 4; ++c)
                QCOMPARE(rows[r].toArray()[c - 1].toString(),
                         grid.grdResults->TextMatrix(r, c).trimmed());
    }

    void fileDialogCancelledOrWriteFailed() {
        frmQuery window;
        window.cboResults->setCurrentIndex(2);
        window.cboResults_Click();
        run(window, "SELECT * FROM dept"); // no answer: cancelled
        QVERIFY(prompt.messages.isEmpty());
        QCOMPARE(window.statusPanel("reccount")->text(), QString("4 rows"));
        QVERIFY(QDir(env.path()).entryList({"*.sql"}).isEmpty());
        // A write that cannot complete is reported with its reason and replaces nothing.
        QDir().mkpath(env.file("notafile.csv"));
        prompt.fileAnswers.enqueue(env.file("notafile.csv"));
        run(window, "SELECT * FROM dept");
        QCOMPARE(prompt.messages.size(), 1);
        QVERIFY(prompt.messages[0].text.startsWith("The results could not be saved to "));
        QCOMPARE(prompt.messages[0].icon, QMessageBox::Warning);
        QVERIFY(QFileInfo(env.file("notafile.csv")).isDir());
    }

    void planWithAndWithoutAnIndex() {
        frmQuery window;
        window.chkShowPlan->click();
        run(window, "SELECT * FROM emp");
        QCOMPARE(window.grdEP->TextMatrix(0, 1), QString("PLAN"));
        QCOMPARE(window.grdEP->TextMatrix(1, 1), QString("SELECT STATEMENT optimizer=ALL_ROWS"));
        QCOMPARE(window.grdEP->TextMatrix(2, 1), QString("  TABLE ACCESS(FULL) of 'EMP' TABLE)"));
        QCOMPARE(window.grdEP->Rows(), 3);
        QCOMPARE(window.grdEP->ColWidth(0), 0);
        QCOMPARE(window.runner().figures.RecordCount,
                 QString("14")); // the plan keeps the result's count
        run(window, "SELECT ename FROM emp WHERE deptno = 20");
        QCOMPARE(window.grdEP->Rows(), 4); // the second plan replaced the first
        QCOMPARE(window.grdEP->TextMatrix(3, 1),
                 QString("    INDEX(RANGE SCAN) of 'EMP_DEPTNO_IX' INDEX)"));
        QCOMPARE(stats(window).value(1), QString("Cost="));
        QCOMPARE(messageLines(window).last(), QString("Query Complete."));
    }

    void planNotAvailableWithoutAConnection() {
        frmQuery window;
        window.runner().figures.PlanCost = "7";
        Close_Connection();
        PlanAndStats(window, window.runner().figures).GetPlan("SELECT * FROM emp");
        QCOMPARE(window.grdEP->TextMatrix(0, 0), QString("Not available."));
        QVERIFY(window.grdEP->ColWidth(0) > 0);
        QCOMPARE(window.runner().figures.PlanCost, QString("7"));
        // A run after the connection is gone reports it in the messages pane.
        run(window, "SELECT * FROM emp");
        QVERIFY(messageLines(window).value(1).startsWith("Operation is not allowed"));
        QCOMPARE(window.statusPanel(1)->text(), QString("Query batch complete with errors."));
    }

    // A plan that cannot be built is said in the messages pane and fails the batch; the rows
    // already shown stay.
    void planFailureIsReported() {
        frmQuery window;
        window.chkShowPlan->click();
        // The table the program made and the session's own both gone.
        cnDatabase->execute("DROP TABLE PLAN_TABLE");
        cnDatabase->execute("DROP TABLE PLAN_TABLE");
        run(window, "SELECT * FROM dept");
        QCOMPARE(window.grdResults->Rows(), 5);
        QCOMPARE(messageLines(window).value(1),
                 QString("ORA-00942: table or view does not exist    (SELECT * FROM dept...)"));
        QVERIFY(window.runner().BatchHasErrors);
        QCOMPARE(window.statusPanel(1)->text(), QString("Query batch complete with errors."));
    }

    // A read-only database still shows plans: the session's plan table is its own.
    void planOnAReadOnlyDatabase() {
        Close_Connection();
        Build_Connection_String("file:" + sampleDatabasePath() + "?mode=ro", "scott", "tiger");
        QVERIFY(Open_Connection());
        QVERIFY(cnDatabase->readOnly());
        frmQuery window;
        window.chkShowPlan->click();
        run(window, "SELECT * FROM dept");
        QCOMPARE(window.grdEP->TextMatrix(1, 1), QString("SELECT STATEMENT optimizer=ALL_ROWS"));
        QCOMPARE(messageLines(window), QStringList({"", "Query Complete."}));
        QVERIFY(!window.runner().BatchHasErrors);
    }

    void timingsUseTheLocale() {
        QCOMPARE(QueryRunner::formatSeconds(250'000'000), QString("0.25 seconds"));
        QLocale::setDefault(QLocale(QLocale::German));
        QCOMPARE(QueryRunner::formatSeconds(1'500'000'000), QString("1,50 seconds"));
        QLocale::setDefault(QLocale::c());
    }
};

QTEST_MAIN(tst_query_run)
#include "tst_query_run.moc"

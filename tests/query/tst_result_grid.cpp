// The result grid: a recordset shown in place, with its header row, hidden row numbers and
// column widths.

#include "TestEnvironment.h"
#include "common/Twips.h"
#include "db/embedded/EmbeddedSession.h"
#include "query/QueryRunner.h"
#include "query/ResultGrid.h"
#include "query/frmQuery.h"
#include "settings/AppOptions.h"

#include <QtTest>

class tst_result_grid : public QObject {
    Q_OBJECT
    TestEnvironment env;
    std::unique_ptr<bm::db::EmbeddedSession> session;

    std::unique_ptr<bm::db::Recordset> query(const char *sql) { return session->query(sql, 0); }

private slots:
    void initTestCase() {
        AppOptions = {"Grid", 1, 0, "", 0, 1};
        session = std::make_unique<bm::db::EmbeddedSession>(
            "file:" + env.file("grid.db").toStdString() + "?mode=rwc", "SCOTT");
        session->execute("CREATE TABLE T (N INTEGER, NAME TEXT, NOTE TEXT)");
        session->execute("WITH RECURSIVE c(n) AS (SELECT 1 UNION ALL SELECT n + 1 FROM c WHERE "
                         "n < 250) INSERT INTO T SELECT n, CASE WHEN n % 10 = 0 THEN NULL ELSE "
                         "'  name ' || n || '  ' END, CASE n WHEN 77 THEN 'the longest note "
                         "of all' WHEN 78 THEN 'as long note as other' ELSE 'x' END FROM c");
    }

    void twoHundredFiftyRows() {
        frmQuery window;
        window.Load_Recordset_Into_Grid(query("SELECT * FROM T ORDER BY N"), window.grdResults,
                                        true);
        ResultGrid *grid = window.grdResults;
        QCOMPARE(grid->Rows(), 251);
        QCOMPARE(grid->Cols(), 4);
        QCOMPARE(window.runner().figures.RecordCount, QString("250"));
        QCOMPARE(grid->model()->rowCount(), 250);
        QCOMPARE(grid->TextMatrix(0, 0), QString());
        QCOMPARE(grid->TextMatrix(0, 1), QString("N"));
        QCOMPARE(grid->TextMatrix(0, 2), QString("NAME"));
        QCOMPARE(grid->TextMatrix(1, 0), QString("1"));
        QCOMPARE(grid->TextMatrix(250, 0), QString("250"));
        QCOMPARE(grid->TextMatrix(1, 2), QString("  name 1  ")); // untrimmed
        QCOMPARE(grid->TextMatrix(10, 2), QString());            // null
        QCOMPARE(grid->model()->headerData(2, Qt::Horizontal, Qt::DisplayRole).toString(),
                 QString("NAME"));
        QCOMPARE(grid->model()->data(grid->model()->index(0, 2)).toString(), QString("  name 1  "));
    }

    void columnWidths() {
        frmQuery window;
        window.Load_Recordset_Into_Grid(query("SELECT * FROM T ORDER BY N"), window.grdResults,
                                        true);
        const QFontMetrics metrics(window.font());
        const int extra = bm::twipsToPixels(400);
        ResultGrid *grid = window.grdResults;
        QCOMPARE(grid->ColWidth(0), 0);
        QVERIFY(grid->isColumnHidden(0));
        QCOMPARE(grid->ColWidth(1), metrics.horizontalAdvance("250") + extra);
        QCOMPARE(grid->ColWidth(2), metrics.horizontalAdvance("  name 249  ") + extra);
        QCOMPARE(grid->ColWidth(3), metrics.horizontalAdvance("the longest note of all") + extra);
        // A header longer than every value sizes its column.
        window.Load_Recordset_Into_Grid(query("SELECT 1 AS A_VERY_LONG_HEADING FROM T"),
                                        window.grdResults, true);
        QCOMPARE(grid->ColWidth(1), metrics.horizontalAdvance("A_VERY_LONG_HEADING") + extra);
    }

    void noRowsLeavesTheHeader() {
        frmQuery window;
        window.runner().figures.RecordCount = "earlier";
        window.Load_Recordset_Into_Grid(query("SELECT * FROM T WHERE N > 1000"), window.grdResults,
                                        true);
        QCOMPARE(window.grdResults->Rows(), 1);
        QCOMPARE(window.grdResults->Cols(), 4);
        QCOMPARE(window.runner().figures.RecordCount, QString("0"));
        QCOMPARE(window.grdResults->TextMatrix(0, 3), QString("NOTE"));
    }

    void keepCountFalseLeavesTheCount() {
        frmQuery window;
        window.runner().figures.RecordCount = "12";
        window.Load_Recordset_Into_Grid(query("SELECT * FROM T"), window.grdEP, false);
        QCOMPARE(window.runner().figures.RecordCount, QString("12"));
        QCOMPARE(window.grdEP->Rows(), 251);
        window.Load_Recordset_Into_Grid(nullptr, window.grdEP, true);
        QCOMPARE(window.grdEP->Rows(), 251);
    }

    void resetEmptiesToOneCell() {
        frmQuery window;
        window.Load_Recordset_Into_Grid(query("SELECT * FROM T"), window.grdResults, true);
        window.Reset();
        QCOMPARE(window.grdResults->Rows(), 1);
        QCOMPARE(window.grdResults->Cols(), 1);
        QCOMPARE(window.grdResults->TextMatrix(0, 0), QString());
        window.grdEP->grid()->setTextMatrix(0, 0, "Not available.");
        QCOMPARE(window.grdEP->model()->headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(),
                 QString("Not available."));
    }

    void nonAsciiLongestByCharacters() {
        frmQuery window;
        window.Load_Recordset_Into_Grid(query("SELECT 'ééééé' AS V UNION ALL SELECT 'abcdefg'"),
                                        window.grdResults, true);
        const QFontMetrics metrics(window.font());
        // Ten bytes but five characters: the seven-character text is the longest.
        QCOMPARE(window.grdResults->ColWidth(1),
                 metrics.horizontalAdvance("abcdefg") + bm::twipsToPixels(400));
    }
};

QTEST_MAIN(tst_result_grid)
#include "tst_result_grid.moc"

// Printing a grid as a table: pages down and across, the header on each page, hidden columns
// left out, and the page range the print dialog chose.

#include "query/GridPrinter.h"

#include <QPrinter>
#include <QProcess>
#include <QStandardItemModel>
#include <QStandardPaths>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>

class tst_grid_printer : public QObject {
    Q_OBJECT
    QTemporaryDir dir;

    // Prints the grid to a PDF file and gives its pages' text (empty without pdftotext).
    QStringList printedPages(const QTableView &grid, int from = 0, int to = 0,
                             int *pageCount = nullptr) {
        static int number = 0;
        const QString path = dir.filePath(QString("grid%1.pdf").arg(++number));
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(path);
        printer.setPageSize(QPageSize(QPageSize::A4));
        if (from)
            printer.setFromTo(from, to);
        GridPrinter printing(grid);
        printing.print(printer);
        if (pageCount)
            *pageCount = printing.pageCount();
        if (QStandardPaths::findExecutable("pdftotext").isEmpty())
            return {};
        QProcess process;
        process.start("pdftotext", {"-layout", path, "-"});
        process.waitForFinished(30000);
        QStringList pages = QString::fromUtf8(process.readAllStandardOutput()).split('\f');
        if (!pages.isEmpty() && pages.last().trimmed().isEmpty())
            pages.removeLast();
        return pages;
    }

    static void fill(QStandardItemModel &model, int rows, int cols, int width) {
        model.setRowCount(rows);
        model.setColumnCount(cols);
        for (int c = 0; c < cols; ++c)
            model.setHeaderData(c, Qt::Horizontal, QString("COL%1").arg(c));
        for (int r = 0; r < rows; ++r)
            for (int c = 0; c < cols; ++c)
                model.setData(model.index(r, c),
                              QString("r%1c%2").arg(r + 1).arg(c).leftJustified(width, 'x'));
    }

private slots:
    // Rows that do not fit on a page go on the next one, under the header again; a page range
    // prints only those pages.
    void rowsRunDownThePages() {
        QStandardItemModel model;
        fill(model, 200, 2, 6);
        QTableView grid;
        grid.setModel(&model);
        int count = 0;
        const QStringList pages = printedPages(grid, 0, 0, &count);
        QVERIFY(count > 1);
        if (pages.isEmpty())
            QSKIP("pdftotext is not installed");
        QCOMPARE(pages.size(), count);
        for (const QString &page : pages)
            QVERIFY(page.contains("COL0") && page.contains("COL1"));
        QVERIFY(pages.first().contains("r1c0"));
        QVERIFY(pages.last().contains("r200c1"));

        int ranged = 0;
        const QStringList second = printedPages(grid, 2, 2, &ranged);
        QCOMPARE(ranged, 1);
        QCOMPARE(second.size(), 1);
        QCOMPARE(second[0], pages[1]);
    }

    // Columns too many for a page across go on pages of their own, with the same rows; a column
    // the grid hides does not print; a cell with a line break prints on one line.
    void columnsTooWideGoOnFurtherPages() {
        QStandardItemModel model;
        fill(model, 3, 12, 30);
        model.setData(model.index(0, 1), "one\ntwo");
        QTableView grid;
        grid.setModel(&model);
        grid.setColumnHidden(2, true);
        int count = 0;
        const QStringList pages = printedPages(grid, 0, 0, &count);
        QVERIFY(count > 1);
        if (pages.isEmpty())
            QSKIP("pdftotext is not installed");
        QVERIFY(pages.first().contains("COL0"));
        QVERIFY(!pages.first().contains("COL11"));
        QVERIFY(pages.last().contains("COL11"));
        QVERIFY(!pages.join("").contains("COL2 ") && !pages.join("").contains("r1c2x"));
        QVERIFY2(pages.first().contains("one two"), qPrintable(pages.first()));
        for (const QString &page : pages)
            QVERIFY(page.contains("r1c") && page.contains("r3c"));
    }

    // An empty result prints its header.
    void emptyResultPrintsTheHeader() {
        QStandardItemModel model;
        fill(model, 0, 2, 4);
        QTableView grid;
        grid.setModel(&model);
        int count = 0;
        const QStringList pages = printedPages(grid, 0, 0, &count);
        QCOMPARE(count, 1);
        if (!pages.isEmpty())
            QVERIFY(pages[0].contains("COL0") && pages[0].contains("COL1"));
    }
};

QTEST_MAIN(tst_grid_printer)
#include "tst_grid_printer.moc"

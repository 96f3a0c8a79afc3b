#pragma once

// Prints a grid as a plain table: a header row, each column as wide as its longest text (at most
// a page), as many columns across as fit, and as many rows down; the header repeats on every
// page. Columns that do not fit across a page go on the pages after, with the same rows.

#include <QFont>
#include <QList>
#include <QStringList>

class QAbstractItemModel;
class QPrinter;
class QTableView;

class GridPrinter {
public:
    // The columns the grid shows (hidden and zero-width ones are left out), in their order.
    explicit GridPrinter(const QTableView &grid);

    // Prints every row, or the pages of the printer's page range. Throws bm::AppError when the
    // printer cannot be started.
    void print(QPrinter &printer);
    // The pages the last print() produced.
    int pageCount() const { return pages_; }

private:
    QString cell(int row, int col) const;

    const QAbstractItemModel *model_;
    QList<int> columns_;
    QFont font_;
    int pages_ = 0;
};

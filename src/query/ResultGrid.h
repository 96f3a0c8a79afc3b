#pragma once

// The query window's grids (results and plan): a table view over the project's own model of a
// fetched result. The model is addressed as the program's grids are: row 0 is the header row,
// column 0 the hidden row-number column, and rows 1.. hold the records, read in place from the
// recordset rather than copied into cells.

#include "db/core/Recordset.h"

#include <QAbstractTableModel>
#include <QHash>
#include <QTableView>
#include <memory>

class ResultGridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;

    // The grid's size, counting the header row and the row-number column.
    int Rows() const { return rows_; }
    int Cols() const { return cols_; }
    void setRows(int rows);
    void setCols(int cols);
    QString TextMatrix(int row, int col) const;
    void setTextMatrix(int row, int col, const QString &text);
    // Empties every cell and sets the size to one row and one column.
    void resetToOneCell();
    // Shows a recordset: a header row of field names, row numbers in column 0. The recordset
    // may still be growing: showFetchedRows() shows the rows fetched since.
    void loadRecordset(std::shared_ptr<const bm::db::Recordset> recordset);
    void showFetchedRows();
    const bm::db::Recordset *recordset() const { return recordset_.get(); }
    // The first of the longest texts of a column, over all rows.
    QString longestText(int col) const;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    static quint64 key(int row, int col) { return (quint64(quint32(row)) << 32) | quint32(col); }

    std::shared_ptr<const bm::db::Recordset> recordset_;
    QHash<quint64, QString> cells_; // texts written cell by cell
    int rows_ = 1;
    int cols_ = 1;
};

class ResultGrid : public QTableView {
    Q_OBJECT
public:
    explicit ResultGrid(QWidget *parent = nullptr);

    ResultGridModel *grid() const { return model_; }
    int Rows() const { return model_->Rows(); }
    int Cols() const { return model_->Cols(); }
    QString TextMatrix(int row, int col) const { return model_->TextMatrix(row, col); }
    // Column widths in pixels; 0 hides the column.
    void setColWidth(int col, int pixels);
    int ColWidth(int col) const;
    // Every cell, as Select All selects them.
    void selectEveryCell();
    // The selected block of cells as tab-separated lines, as spreadsheets read them; a cell
    // holding a tab, a line break or a quotation mark is quoted. Hidden columns are left out.
    QString selectionAsText() const;
    // Puts selectionAsText() on the clipboard.
    void copySelection() const;

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    ResultGridModel *model_;
};

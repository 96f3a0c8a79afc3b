#include "ResultGrid.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>

#include <QHeaderView>

void ResultGridModel::setRows(int rows) {
    beginResetModel();
    rows_ = std::max(rows, 1);
    endResetModel();
}

void ResultGridModel::setCols(int cols) {
    beginResetModel();
    cols_ = std::max(cols, 1);
    endResetModel();
}

QString ResultGridModel::TextMatrix(int row, int col) const {
    if (row < 0 || col < 0 || row >= rows_ || col >= cols_)
        return {};
    if (const auto it = cells_.constFind(key(row, col)); it != cells_.constEnd())
        return *it;
    if (!recordset_)
        return {};
    if (row == 0)
        return col == 0 ? QString() : QString::fromStdString(recordset_->fieldName(col - 1));
    if (col == 0)
        return QString::number(row);
    if (static_cast<std::size_t>(row - 1) >= recordset_->recordCount())
        return {};
    const auto value = recordset_->cell(static_cast<std::size_t>(row - 1), col - 1);
    return value ? QString::fromUtf8(value->data(), static_cast<qsizetype>(value->size()))
                 : QString();
}

void ResultGridModel::setTextMatrix(int row, int col, const QString &text) {
    if (row < 0 || col < 0 || row >= rows_ || col >= cols_)
        return;
    cells_.insert(key(row, col), text);
    if (row == 0)
        emit headerDataChanged(Qt::Horizontal, col, col);
    else
        emit dataChanged(index(row - 1, col), index(row - 1, col));
}

void ResultGridModel::resetToOneCell() {
    beginResetModel();
    recordset_.reset();
    cells_.clear();
    rows_ = cols_ = 1;
    endResetModel();
}

void ResultGridModel::loadRecordset(std::shared_ptr<const bm::db::Recordset> recordset) {
    beginResetModel();
    cells_.clear();
    recordset_ = std::move(recordset);
    cols_ = recordset_->fieldCount() + 1;
    rows_ = static_cast<int>(std::min<std::size_t>(recordset_->recordCount(), INT_MAX - 1)) + 1;
    endResetModel();
}

void ResultGridModel::showFetchedRows() {
    if (!recordset_)
        return;
    const int rows =
        static_cast<int>(std::min<std::size_t>(recordset_->recordCount(), INT_MAX - 1)) + 1;
    if (rows <= rows_)
        return;
    beginInsertRows({}, rows_ - 1, rows - 2);
    rows_ = rows;
    endInsertRows();
}

QString ResultGridModel::longestText(int col) const {
    QString longest;
    auto consider = [&](const QString &text) {
        if (text.size() > longest.size())
            longest = text;
    };
    if (recordset_ && col >= 1 && col < cols_) {
        consider(TextMatrix(0, col));
        if (const auto cell = recordset_->longestCell(col - 1)) {
            // A header at least as long came first and wins. The cell is read from the
            // recordset, which may hold rows the grid does not show yet.
            if (static_cast<qsizetype>(cell->second) > longest.size()) {
                const auto value = recordset_->cell(cell->first, col - 1);
                longest =
                    value ? QString::fromUtf8(value->data(), qsizetype(value->size())) : QString();
            }
        }
    } else if (recordset_ && col == 0) {
        consider(QString::number(rows_ - 1));
    } else {
        for (int row = 0; row < rows_; ++row)
            consider(TextMatrix(row, col));
    }
    for (auto it = cells_.constBegin(); it != cells_.constEnd(); ++it)
        if (int(it.key() & 0xffffffffu) == col)
            consider(it.value());
    return longest;
}

int ResultGridModel::rowCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : rows_ - 1;
}

int ResultGridModel::columnCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : cols_;
}

QVariant ResultGridModel::data(const QModelIndex &index, int role) const {
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::ToolTipRole))
        return {};
    return TextMatrix(index.row() + 1, index.column());
}

QVariant ResultGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Horizontal)
        return TextMatrix(0, section);
    return QString::number(section + 1);
}

ResultGrid::ResultGrid(QWidget *parent) : QTableView(parent), model_(new ResultGridModel(this)) {
    setModel(model_);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    horizontalHeader()->setMinimumSectionSize(0);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setWordWrap(false);
    setTextElideMode(Qt::ElideNone);
}

void ResultGrid::setColWidth(int col, int pixels) {
    setColumnHidden(col, pixels <= 0);
    if (pixels > 0)
        setColumnWidth(col, pixels);
}

int ResultGrid::ColWidth(int col) const {
    return isColumnHidden(col) ? 0 : columnWidth(col);
}

void ResultGrid::selectEveryCell() {
    selectAll();
}

QString ResultGrid::selectionAsText() const {
    const QModelIndexList selected = selectionModel()->selectedIndexes();
    if (selected.isEmpty())
        return {};
    int top = selected.first().row(), bottom = top;
    int left = selected.first().column(), right = left;
    for (const QModelIndex &index : selected) {
        top = std::min(top, index.row());
        bottom = std::max(bottom, index.row());
        left = std::min(left, index.column());
        right = std::max(right, index.column());
    }
    const auto cell = [](QString text) {
        if (!text.contains('\t') && !text.contains('\n') && !text.contains('\r') &&
            !text.contains('"'))
            return text;
        return '"' + text.replace('"', "\"\"") + '"';
    };
    QString out;
    for (int row = top; row <= bottom; ++row) {
        QStringList cells;
        for (int col = left; col <= right; ++col) {
            if (isColumnHidden(col))
                continue;
            const QModelIndex index = model()->index(row, col);
            cells << (selectionModel()->isSelected(index)
                          ? cell(model()->data(index, Qt::DisplayRole).toString())
                          : QString());
        }
        out += cells.join('\t') + '\n';
    }
    return out;
}

void ResultGrid::copySelection() const {
    QGuiApplication::clipboard()->setText(selectionAsText());
}

void ResultGrid::keyPressEvent(QKeyEvent *event) {
    if (event == QKeySequence::Copy) {
        copySelection();
        event->accept();
        return;
    }
    QTableView::keyPressEvent(event);
}

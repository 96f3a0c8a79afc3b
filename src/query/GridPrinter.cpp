#include "GridPrinter.h"

#include "sql/AppError.h"

#include <QAbstractItemModel>
#include <QFontMetricsF>
#include <QHeaderView>
#include <QPainter>
#include <QPrinter>
#include <QTableView>
#include <algorithm>

namespace {

// One column band: the columns that share a page across, with their widths.
struct Band {
    QList<int> columns;
    QList<qreal> widths;
};

} // namespace

GridPrinter::GridPrinter(const QTableView &grid) : model_(grid.model()), font_(grid.font()) {
    const QHeaderView *header = grid.horizontalHeader();
    for (int visual = 0; visual < header->count(); ++visual) {
        const int col = header->logicalIndex(visual);
        if (!grid.isColumnHidden(col) && grid.columnWidth(col) > 0)
            columns_.append(col);
    }
}

QString GridPrinter::cell(int row, int col) const {
    const QVariant value = row < 0 ? model_->headerData(col, Qt::Horizontal, Qt::DisplayRole)
                                   : model_->data(model_->index(row, col), Qt::DisplayRole);
    // A cell is one line on paper.
    QString text = value.toString();
    text.replace(QLatin1Char('\n'), QLatin1Char(' ')).replace(QLatin1Char('\r'), QLatin1Char(' '));
    text.replace(QLatin1Char('\t'), QLatin1Char(' '));
    return text;
}

void GridPrinter::print(QPrinter &printer) {
    pages_ = 0;
    QPainter painter;
    if (!painter.begin(&printer))
        throw bm::AppError(bm::kErrGeneral, "GridPrinter.print",
                           "The printer could not be started.");
    QFont bold = font_;
    bold.setBold(true);
    const QFontMetricsF plainMetrics(font_, &printer);
    const QFontMetricsF boldMetrics(bold, &printer);
    const QRectF page = printer.pageLayout().paintRectPixels(printer.resolution());
    const qreal padding = plainMetrics.averageCharWidth();
    const qreal rowHeight = std::max(plainMetrics.height(), boldMetrics.height()) * 1.25;
    const int rows = model_->rowCount();

    // Each column as wide as its longest text, header included, but never wider than a page.
    QList<qreal> widths;
    for (int col : columns_) {
        qreal width = boldMetrics.horizontalAdvance(cell(-1, col));
        for (int row = 0; row < rows; ++row)
            width = std::max(width, plainMetrics.horizontalAdvance(cell(row, col)));
        widths.append(std::min(width + 2 * padding, page.width()));
    }
    QList<Band> bands;
    qreal across = 0;
    for (qsizetype i = 0; i < columns_.size(); ++i) {
        if (bands.isEmpty() || across + widths[i] > page.width()) {
            bands.append(Band{});
            across = 0;
        }
        bands.last().columns.append(columns_[i]);
        bands.last().widths.append(widths[i]);
        across += widths[i];
    }
    // Below the header row the rows, and at the foot of the page its number.
    const int rowsPerPage =
        std::max(1, static_cast<int>((page.height() - 2 * rowHeight) / rowHeight));

    const auto drawRow = [&](const Band &band, int row, qreal top, const QFontMetricsF &metrics) {
        qreal left = 0;
        for (qsizetype i = 0; i < band.columns.size(); ++i) {
            const QRectF box(left + padding, top, band.widths[i] - 2 * padding, rowHeight);
            const QString text =
                metrics.elidedText(cell(row, band.columns[i]), Qt::ElideRight, box.width());
            painter.drawText(box, Qt::AlignLeft | Qt::AlignVCenter, text);
            left += band.widths[i];
        }
        return left;
    };
    // The page range the user chose in the print dialog, if any (pages count from 1).
    const int fromPage = printer.fromPage();
    const int toPage = printer.toPage();
    int pageNumber = 0;
    for (const Band &band : bands) {
        for (int first = 0; first == 0 || first < rows; first += rowsPerPage) {
            ++pageNumber;
            if ((fromPage > 0 && pageNumber < fromPage) || (toPage > 0 && pageNumber > toPage))
                continue;
            if (pages_ > 0 && !printer.newPage())
                throw bm::AppError(bm::kErrGeneral, "GridPrinter.print",
                                   "The printer could not start a new page.");
            ++pages_;
            painter.setFont(bold);
            const qreal right = drawRow(band, -1, 0, boldMetrics);
            painter.drawLine(QPointF(0, rowHeight), QPointF(right, rowHeight));
            painter.setFont(font_);
            const int last = std::min(rows, first + rowsPerPage);
            for (int row = first; row < last; ++row)
                drawRow(band, row, rowHeight * (row - first + 1), plainMetrics);
            painter.drawText(QRectF(0, page.height() - rowHeight, page.width(), rowHeight),
                             Qt::AlignRight | Qt::AlignVCenter, QString::number(pageNumber));
        }
    }
    if (!painter.end() || printer.printerState() == QPrinter::Error)
        throw bm::AppError(bm::kErrGeneral, "GridPrinter.print",
                           "The printer reported an error; the table may not have been printed.");
}

#include "QueryPrintJob.h"

#include "GridPrinter.h"
#include "ResultGrid.h"
#include "editor/SqlEditor.h"
#include "frmQuery.h"
#include "sql/AppError.h"

#include <QPlainTextEdit>
#include <QPrinter>

std::optional<QueryPrintJob> QueryPrintJob::forFocusedPane(const frmQuery &query) {
    // The window's focused control, also while the focus is in a menu or another window.
    QWidget *focused = query.focusWidget();
    if (!focused)
        return std::nullopt;
    for (QPlainTextEdit *text :
         {static_cast<QPlainTextEdit *>(query.txtSQL), query.txtResults, query.txtMessage})
        if (focused == text)
            return QueryPrintJob(text, nullptr);
    if (focused == query.grdResults)
        return QueryPrintJob(nullptr, query.grdResults);
    return std::nullopt;
}

bool QueryPrintJob::hasSelection() const {
    return text_ && text_->textCursor().hasSelection();
}

void QueryPrintJob::print(QPrinter &printer) const {
    if (grid_) {
        GridPrinter(*grid_).print(printer);
        return;
    }
    text_->print(&printer);
    if (printer.printerState() == QPrinter::Error)
        throw bm::AppError(bm::kErrGeneral, "QueryPrintJob.print",
                           "The printer reported an error; the text may not have been printed.");
}

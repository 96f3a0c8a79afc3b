#pragma once

// What Print makes of a query window: the pane that had the focus last, printed as text (the
// editor, the text results, the messages, the selection alone when there is one) or as a table
// (the results grid). Other panes do not print.

#include <optional>

class QPlainTextEdit;
class QPrinter;
class ResultGrid;
class frmQuery;

class QueryPrintJob {
public:
    // The job for the window's focused pane, or nothing when that pane does not print.
    static std::optional<QueryPrintJob> forFocusedPane(const frmQuery &query);

    // The pane has a selection, and only the selection prints unless the user chooses all.
    bool hasSelection() const;
    // Prints on a printer the print dialog has set up; its print range says whether the
    // selection alone prints. Throws bm::AppError when printing fails.
    void print(QPrinter &printer) const;

private:
    QueryPrintJob(QPlainTextEdit *text, ResultGrid *grid) : text_(text), grid_(grid) {}

    QPlainTextEdit *text_;
    ResultGrid *grid_;
};

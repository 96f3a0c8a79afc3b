// File > Print... and Print Preview...: the focused pane of the active query window, through the
// print dialog or the preview.

#include "MDIMain.h"
#include "common/Prompt.h"
#include "query/QueryPrintJob.h"
#include "query/frmQuery.h"
#include "sql/AppError.h"

#include <QCoreApplication>
#include <QPrinter>

void MDIMain::mnuFilePrint_Click() {
    printActivePane(false);
}

void MDIMain::mnuFilePrintPreview_Click() {
    printActivePane(true);
}

void MDIMain::printActivePane(bool preview) {
    frmQuery *query = activeQuery();
    if (!query)
        return;
    bm::Prompt &prompt = bm::Prompt::current();
    const std::optional<QueryPrintJob> job = QueryPrintJob::forFocusedPane(*query);
    if (!job) {
        prompt.message(QMessageBox::Warning, QMessageBox::Ok, QCoreApplication::applicationName(),
                       "Please change output to CSV to print results.");
        return;
    }
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(query->windowTitle().trimmed());
    if (job->hasSelection())
        printer.setPrintRange(QPrinter::Selection);

    // A cancelled dialog ends the command without a word; a printer that fails is reported, so
    // that nobody waits for pages that never come.
    QString failure;
    const auto paint = [&](QPrinter *target) {
        try {
            job->print(*target);
        } catch (const bm::AppError &error) {
            failure = QString::fromStdString(error.description());
        }
    };
    if (preview)
        prompt.printPreview(printer, paint);
    else if (prompt.print(printer))
        paint(&printer);
    if (!failure.isEmpty())
        prompt.message(QMessageBox::Warning, QMessageBox::Ok, QCoreApplication::applicationName(),
                       "The document could not be printed.\n\n" + failure);
}

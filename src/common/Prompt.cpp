#include "Prompt.h"

#include <QApplication>
#include <QFileDialog>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>

namespace bm {

namespace {
Prompt *installed = nullptr;
} // namespace

Prompt &Prompt::current() {
    static WidgetPrompt widgets;
    if (installed)
        return *installed;
    return widgets;
}

QString dialogFilter(const QString &pipeFilter) {
    const QStringList parts = pipeFilter.split('|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2)
        filters << parts[i];
    return filters.join(";;");
}

void Prompt::install(Prompt *prompt) {
    installed = prompt;
}

QMessageBox::StandardButton WidgetPrompt::message(QMessageBox::Icon icon,
                                                  QMessageBox::StandardButtons buttons,
                                                  const QString &title, const QString &text) {
    QMessageBox box(icon, title, text, buttons, QApplication::activeWindow());
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

QString WidgetPrompt::openFileName(const QString &title, const QString &filter,
                                   const QString &directory) {
    return QFileDialog::getOpenFileName(QApplication::activeWindow(), title, directory, filter);
}

std::unique_ptr<QFileDialog> makeSaveDialog(QWidget *parent, const QString &title,
                                            const QString &filter, const QString &suggestedPath,
                                            const QString &defaultSuffix) {
    auto dialog = std::make_unique<QFileDialog>(parent, title, suggestedPath, filter);
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setFileMode(QFileDialog::AnyFile);
    dialog->setDefaultSuffix(defaultSuffix);
    return dialog;
}

QString WidgetPrompt::saveFileName(const QString &title, const QString &filter,
                                   const QString &suggestedPath, const QString &defaultSuffix) {
    const auto dialog =
        makeSaveDialog(QApplication::activeWindow(), title, filter, suggestedPath, defaultSuffix);
    if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty())
        return {};
    return dialog->selectedFiles().constFirst();
}

bool WidgetPrompt::print(QPrinter &printer) {
    const bool selection = printer.printRange() == QPrinter::Selection;
    QPrintDialog dialog(&printer, QApplication::activeWindow());
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    dialog.setOption(QAbstractPrintDialog::PrintSelection, selection);
    if (selection)
        dialog.setPrintRange(QAbstractPrintDialog::Selection);
    return dialog.exec() == QDialog::Accepted;
}

bool WidgetPrompt::printPreview(QPrinter &printer, const std::function<void(QPrinter *)> &paint) {
    QPrintPreviewDialog dialog(&printer, QApplication::activeWindow());
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog, paint);
    return dialog.exec() == QDialog::Accepted;
}

} // namespace bm

namespace bm {

int WidgetPrompt::showDialog(QDialog &dialog) {
    return dialog.exec();
}

} // namespace bm

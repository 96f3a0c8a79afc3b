#include "ScriptedPrompt.h"

#include <QFileInfo>
#include <QPrinter>

QMessageBox::StandardButton ScriptedPrompt::message(QMessageBox::Icon icon,
                                                    QMessageBox::StandardButtons buttons,
                                                    const QString &title, const QString &text) {
    messages.append({icon, buttons, title, text});
    if (!buttonAnswers.isEmpty())
        return buttonAnswers.dequeue();
    for (int bit = 0; bit < 32; ++bit) {
        const auto button = static_cast<QMessageBox::StandardButton>(1u << bit);
        if (buttons.testFlag(button))
            return button;
    }
    return QMessageBox::NoButton;
}

QString ScriptedPrompt::openFileName(const QString &title, const QString &filter, const QString &) {
    fileDialogs.append("open: " + title + " | " + filter);
    return fileAnswers.isEmpty() ? QString() : fileAnswers.dequeue();
}

QString ScriptedPrompt::saveFileName(const QString &title, const QString &filter, const QString &,
                                     const QString &defaultSuffix) {
    fileDialogs.append("save: " + title + " | " + filter + " | " + defaultSuffix);
    if (fileAnswers.isEmpty())
        return {};
    // As the dialog does: a name typed without a suffix gets the default one.
    QString answer = fileAnswers.dequeue();
    if (!defaultSuffix.isEmpty() && QFileInfo(answer).suffix().isEmpty())
        answer += "." + defaultSuffix;
    return answer;
}

namespace {

// Takes the next print answer: a PDF file to print to, or a cancel.
bool answerPrint(QQueue<QString> &answers, QPrinter &printer) {
    const QString path = answers.isEmpty() ? QString() : answers.dequeue();
    if (path.isEmpty())
        return false;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    return true;
}

QString printRangeText(const QPrinter &printer) {
    return printer.printRange() == QPrinter::Selection ? "selection" : "all";
}

} // namespace

bool ScriptedPrompt::print(QPrinter &printer) {
    printDialogs.append("print: " + printRangeText(printer));
    return answerPrint(printAnswers, printer);
}

bool ScriptedPrompt::printPreview(QPrinter &printer, const std::function<void(QPrinter *)> &paint) {
    printDialogs.append("preview: " + printRangeText(printer));
    if (!answerPrint(printAnswers, printer))
        return false;
    paint(&printer);
    return true;
}

int ScriptedPrompt::showDialog(QDialog &dialog) {
    dialogs.append(dialog.objectName());
    if (dialogHandlers.isEmpty())
        return QDialog::Rejected;
    return dialogHandlers.dequeue()(dialog);
}

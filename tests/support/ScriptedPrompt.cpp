#include "ScriptedPrompt.h"

#include <QFileInfo>

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

bool ScriptedPrompt::print(QPrinter &) {
    return !printAnswers.isEmpty() && printAnswers.dequeue();
}

int ScriptedPrompt::showDialog(QDialog &dialog) {
    dialogs.append(dialog.objectName());
    if (dialogHandlers.isEmpty())
        return QDialog::Rejected;
    return dialogHandlers.dequeue()(dialog);
}

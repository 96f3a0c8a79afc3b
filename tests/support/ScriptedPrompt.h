#pragma once

// A prompt for tests: answers from a script and records every question asked.

#include "common/Prompt.h"

#include <QDialog>
#include <QList>
#include <QQueue>
#include <QStringList>
#include <functional>

struct AskedMessage {
    QMessageBox::Icon icon;
    QMessageBox::StandardButtons buttons;
    QString title;
    QString text;
};

class ScriptedPrompt : public bm::Prompt {
public:
    ScriptedPrompt() { bm::Prompt::install(this); }
    ~ScriptedPrompt() override { bm::Prompt::install(nullptr); }

    // Answers, taken in order; with none left, a message gets its first button and a file
    // dialog is cancelled.
    QQueue<QMessageBox::StandardButton> buttonAnswers;
    QQueue<QString> fileAnswers;
    // Print dialogs: a path prints to that PDF file, an empty string cancels; with none left
    // the dialog is cancelled.
    QQueue<QString> printAnswers;

    // Handlers for the program's own dialogs, taken in order: each gets the dialog (loaded,
    // not shown) and returns its result; with none left a dialog is rejected.
    QQueue<std::function<int(QDialog &)>> dialogHandlers;

    QList<AskedMessage> messages;
    QStringList dialogs;      // the objectName of each dialog shown
    QStringList fileDialogs;  // "open: title" or "save: title", with the filter after " | "
    QStringList printDialogs; // "print: selection" or "print: all", "preview: ..." likewise

    QMessageBox::StandardButton message(QMessageBox::Icon icon,
                                        QMessageBox::StandardButtons buttons, const QString &title,
                                        const QString &text) override;
    QString openFileName(const QString &title, const QString &filter,
                         const QString &directory) override;
    QString saveFileName(const QString &title, const QString &filter, const QString &suggestedPath,
                         const QString &defaultSuffix) override;
    bool print(QPrinter &printer) override;
    bool printPreview(QPrinter &printer, const std::function<void(QPrinter *)> &paint) override;
    int showDialog(QDialog &dialog) override;
};

#pragma once

// Every modal question the program asks goes through this seam: the program's implementation
// shows the real dialog, the tests install one that answers from a script and records.

#include <QMessageBox>
#include <QString>
#include <functional>
#include <memory>

class QDialog;
class QFileDialog;
class QPrinter;
class QWidget;

namespace bm {

class Prompt {
public:
    virtual ~Prompt() = default;

    // A message box: returns the button pressed.
    virtual QMessageBox::StandardButton message(QMessageBox::Icon icon,
                                                QMessageBox::StandardButtons buttons,
                                                const QString &title, const QString &text) = 0;
    // File dialogs: return the chosen path, or an empty string when cancelled. The save dialog
    // adds defaultSuffix (without its dot) to a name typed without one before it asks whether
    // to replace an existing file, so the question is about the file that will be written.
    virtual QString openFileName(const QString &title, const QString &filter,
                                 const QString &directory) = 0;
    virtual QString saveFileName(const QString &title, const QString &filter,
                                 const QString &suggestedPath, const QString &defaultSuffix) = 0;
    // The print dialog: true when the user accepted it, with the printer set up. A printer whose
    // print range is the selection offers, and chooses, printing the selection alone; page
    // ranges are not offered.
    virtual bool print(QPrinter &printer) = 0;
    // The print preview: paint draws the pages on the printer it is given, for the preview and
    // again when the user prints from it. True when the user printed.
    virtual bool printPreview(QPrinter &printer, const std::function<void(QPrinter *)> &paint) = 0;
    // One of the program's own modal dialogs (log-on, options, error report …): returns its
    // result, QDialog::Accepted or QDialog::Rejected.
    virtual int showDialog(QDialog &dialog) = 0;

    // The implementation in force; the widget one unless a test installed another.
    static Prompt &current();
    // Installs an implementation (not owned); nullptr restores the widget one.
    static void install(Prompt *prompt);
};

// A filter as the program writes it, "Query File (*.sql)|*.sql|All Files (*.*)|*.*", as the file
// dialogs take it: "Query File (*.sql);;All Files (*.*)".
QString dialogFilter(const QString &pipeFilter);

// The program's own implementation, showing real dialogs over the active window.
class WidgetPrompt : public Prompt {
public:
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

// The save dialog as WidgetPrompt shows it.
std::unique_ptr<QFileDialog> makeSaveDialog(QWidget *parent, const QString &title,
                                            const QString &filter, const QString &suggestedPath,
                                            const QString &defaultSuffix);

} // namespace bm

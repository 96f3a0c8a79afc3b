// The edit routines of the Edit menu and the toolbar, for the focused control of the active query
// window.

#include "MDIMain.h"
#include "query/ResultGrid.h"
#include "query/frmQuery.h"

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextDocumentFragment>
#include <QTextEdit>

namespace {

// The control of the active query window that has the focus, or nullptr.
QWidget *focusedControl(frmQuery *query) {
    QWidget *focused = QApplication::focusWidget();
    return query && focused && query->isAncestorOf(focused) ? focused : nullptr;
}

// Runs the action that fits the focused control's kind.
template <class Text, class Line, class Grid>
void onFocused(frmQuery *query, Text &&text, Line &&line, Grid &&grid) {
    QWidget *focused = focusedControl(query);
    if (auto *plain = qobject_cast<QPlainTextEdit *>(focused))
        text(plain);
    else if (auto *rich = qobject_cast<QTextEdit *>(focused))
        text(rich);
    else if (auto *edit = qobject_cast<QLineEdit *>(focused))
        line(edit);
    else if (auto *table = qobject_cast<ResultGrid *>(focused))
        grid(table);
}

template <class Edit> QString selectedText(Edit *edit) {
    return edit->textCursor().selection().toPlainText();
}

} // namespace

void MDIMain::Copy() {
    onFocused(
        activeQuery(),
        [](auto *edit) { QGuiApplication::clipboard()->setText(selectedText(edit)); },
        [](QLineEdit *edit) { QGuiApplication::clipboard()->setText(edit->selectedText()); },
        [](ResultGrid *grid) { grid->copySelection(); });
}

void MDIMain::Cut() {
    onFocused(
        activeQuery(),
        [](auto *edit) {
            QGuiApplication::clipboard()->setText(selectedText(edit));
            if (!edit->isReadOnly())
                edit->textCursor().removeSelectedText();
        },
        [](QLineEdit *edit) {
            QGuiApplication::clipboard()->setText(edit->selectedText());
            if (!edit->isReadOnly())
                edit->del();
        },
        [](ResultGrid *grid) { grid->copySelection(); }); // the grid's cells cannot be removed
}

void MDIMain::Paste() {
    onFocused(
        activeQuery(), [](auto *edit) { edit->paste(); }, [](QLineEdit *edit) { edit->paste(); },
        [](ResultGrid *) {});
}

void MDIMain::SelectAll() {
    onFocused(
        activeQuery(), [](auto *edit) { edit->selectAll(); },
        [](QLineEdit *edit) { edit->selectAll(); },
        [](ResultGrid *grid) { grid->selectEveryCell(); });
}

void MDIMain::Undo() {
    onFocused(
        activeQuery(),
        [](auto *edit) {
            if (edit->document()->isUndoAvailable())
                edit->undo();
        },
        [](QLineEdit *edit) {
            if (edit->isUndoAvailable())
                edit->undo();
        },
        [](ResultGrid *) {});
}

void MDIMain::Clear_Window() {
    if (frmQuery *query = activeQuery())
        query->Clear_Window();
}

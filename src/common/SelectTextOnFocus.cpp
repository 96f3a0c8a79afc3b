#include "SelectTextOnFocus.h"

#include <QFocusEvent>
#include <QTextBlock>

void Select_Text_On_Focus(QWidget *window, QLineEdit *control, Qt::FocusReason reason) {
    if (!control)
        return;
    const bool byKeyboard = reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason ||
                            reason == Qt::ShortcutFocusReason;
    if (!byKeyboard) {
        control->deselect();
        return;
    }
    const QFontMetrics metrics((window ? window : control)->font());
    const int length = static_cast<int>(control->text().size());
    if (metrics.horizontalAdvance(control->text()) > control->width()) {
        // End, then Shift+Home: all selected, the caret at the start so the start shows.
        control->setSelection(length, -length);
    } else {
        control->setSelection(0, length);
    }
}

void Select_Text_On_Focus(QWidget *window, QPlainTextEdit *control, Qt::FocusReason reason) {
    if (!control)
        return;
    QTextCursor cursor = control->textCursor();
    const bool byKeyboard = reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason ||
                            reason == Qt::ShortcutFocusReason;
    if (!byKeyboard) {
        cursor.clearSelection();
        control->setTextCursor(cursor);
        return;
    }
    const QFontMetrics metrics((window ? window : control)->font());
    if (metrics.horizontalAdvance(cursor.block().text()) > control->viewport()->width()) {
        // End, then Shift+Home: the line selected, the caret at its start.
        cursor.movePosition(QTextCursor::EndOfLine);
        cursor.movePosition(QTextCursor::StartOfLine, QTextCursor::KeepAnchor);
    } else {
        cursor.select(QTextCursor::Document);
    }
    control->setTextCursor(cursor);
}

void FocusSelectLineEdit::focusInEvent(QFocusEvent *event) {
    QLineEdit::focusInEvent(event);
    Select_Text_On_Focus(window(), this, event->reason());
}

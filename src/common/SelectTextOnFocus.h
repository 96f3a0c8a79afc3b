#pragma once

// What a text box selects when it receives the focus: entered from the keyboard (Tab, Backtab
// or an access key), its text is selected so that typing replaces it; entered by the mouse or
// from code, the caret stays where it is and nothing is selected.

#include <QLineEdit>
#include <QPlainTextEdit>

class QWidget;

void Select_Text_On_Focus(QWidget *window, QLineEdit *control, Qt::FocusReason reason);
// The same for a multi-line editor: by keyboard the whole text, or the current line from its
// start when the text is wider than the editor; by mouse or from code nothing.
void Select_Text_On_Focus(QWidget *window, QPlainTextEdit *control, Qt::FocusReason reason);

// A line edit that applies Select_Text_On_Focus each time it receives the focus.
class FocusSelectLineEdit : public QLineEdit {
    Q_OBJECT
public:
    using QLineEdit::QLineEdit;

protected:
    void focusInEvent(QFocusEvent *event) override;
};

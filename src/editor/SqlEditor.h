#pragma once

// The SQL editor of a query window: plain text in a monospaced font, line numbers in a margin,
// the current line marked, keyword colouring by SqlHighlighter, and Qt's own undo and redo.
// What the user types is kept exactly as typed.

#include <QPlainTextEdit>

class SqlHighlighter;

class SqlEditor : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit SqlEditor(QWidget *parent = nullptr);

    SqlHighlighter *highlighter() const { return highlighter_; }
    // Empties the editor as one step that Undo takes back.
    void clearText();

    // The margin's width for the current number of lines.
    int lineNumberWidth() const;
    void paintLineNumbers(QPaintEvent *event);

protected:
    void resizeEvent(QResizeEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;

private:
    void markCurrentLine();

    QWidget *lineNumbers_;
    SqlHighlighter *highlighter_;
};

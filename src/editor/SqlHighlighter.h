#pragma once

// Keyword colouring of the SQL editor. Each line is read by the program's SQL lexer, starting in
// the state the line before left open (inside a comment or a literal), so that colours and the
// statement boundaries of a run always agree. Only formats change: the text the user typed is
// never touched.
//
// Lines are coloured when they change and from there on only as far as the state they hand to
// the next line changes. A change too big to colour at once (a script loaded or pasted whole)
// is coloured in slices between events, so the window never freezes.

#include <QObject>
#include <QTextCursor>
#include <QTextLayout>
#include <QVector>

class QTextDocument;
class QTimer;

class SqlHighlighter : public QObject {
    Q_OBJECT
public:
    // The colours of the keyword table, and the quiet ones of comments and literals.
    static const QColor kBlue, kGreen, kGrey, kRed, kComment, kLiteral;

    explicit SqlHighlighter(QTextDocument *document);

    // Colouring on or off; a change recolours the whole text.
    void setColouring(bool on);
    bool colouring() const { return colouring_; }

    // Colours everything again (in slices).
    void rehighlight();
    // True while a large change is still being coloured.
    bool busy() const;
    // Colours what is still waiting, now.
    void finish();

    // The formats of one line, given the state the line before left open; returns the state it
    // leaves open itself. nextLine is the text of the line after (for ORDER / BY split over two
    // lines); byFromPrevious says the line before ended in ORDER or GROUP.
    struct LineResult {
        int endState = 0;
        bool endsWithOrderOrGroup = false;
    };
    static LineResult highlightLine(const QString &line, int startState, bool byFromPrevious,
                                    const QString &nextLine, bool colouring,
                                    QVector<QTextLayout::FormatRange> &formats);

private:
    void contentsChange(int position, int removed, int added);
    // Colours from resume_ on until the changed range is done and the states agree again, or
    // until the time slice is used up.
    void work(qint64 budgetNs);

    QTextDocument *document_;
    bool colouring_ = true;
    QTextCursor resume_;   // where colouring goes on; null when nothing waits
    QTextCursor forcedTo_; // every line up to here is coloured whatever its state
    QTimer *timer_;
};

#include "editor/SqlEditor.h"

#include "common/SelectTextOnFocus.h"
#include "editor/SqlHighlighter.h"

#include <QFontDatabase>
#include <QPainter>
#include <QPlainTextDocumentLayout>
#include <QTextBlock>

namespace {

// The editor's layout. When a line's colours change together with its text, the change reaches
// the layout as the whole line removed and added again; the plain layout adds the two lengths,
// takes the change to reach into the next line and repaints the whole view on every key press.
// A change that stays on one line is passed on as that line only, so only it is laid out and
// painted again.
class EditorLayout : public QPlainTextDocumentLayout {
public:
    using QPlainTextDocumentLayout::QPlainTextDocumentLayout;

protected:
    void documentChanged(int from, int removed, int added) override {
        // What the document now holds from the change on: added characters from "from". A
        // change of colours alone (removed == added) keeps the plain path, which lays lines out
        // lazily: a whole script being coloured must not lay out every line at once.
        if (added > 0 && removed != added &&
            document()->findBlock(from) == document()->findBlock(from + added - 1))
            QPlainTextDocumentLayout::documentChanged(from, 0, added);
        else
            QPlainTextDocumentLayout::documentChanged(from, removed, added);
    }
};

// The margin beside the text that shows the line numbers.
class LineNumberArea : public QWidget {
public:
    explicit LineNumberArea(SqlEditor *editor) : QWidget(editor), editor_(editor) {
        setObjectName("lineNumbers");
        setAccessibleName("Line numbers");
    }
    QSize sizeHint() const override { return {editor_->lineNumberWidth(), 0}; }

protected:
    void paintEvent(QPaintEvent *event) override { editor_->paintLineNumbers(event); }

private:
    SqlEditor *editor_;
};

} // namespace

SqlEditor::SqlEditor(QWidget *parent)
    : QPlainTextEdit(parent), lineNumbers_(new LineNumberArea(this)) {
    document()->setDocumentLayout(new EditorLayout(document()));
    highlighter_ = new SqlHighlighter(document());
    setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    setTabStopDistance(4 * fontMetrics().horizontalAdvance(' '));
    setLineWrapMode(QPlainTextEdit::NoWrap);
    connect(this, &QPlainTextEdit::blockCountChanged, this,
            [this] { setViewportMargins(lineNumberWidth(), 0, 0, 0); });
    connect(this, &QPlainTextEdit::updateRequest, this, [this](const QRect &rect, int dy) {
        if (dy)
            lineNumbers_->scroll(0, dy);
        else
            lineNumbers_->update(0, rect.y(), lineNumbers_->width(), rect.height());
    });
    connect(this, &QPlainTextEdit::cursorPositionChanged, this, &SqlEditor::markCurrentLine);
    setViewportMargins(lineNumberWidth(), 0, 0, 0);
    markCurrentLine();
}

void SqlEditor::clearText() {
    QTextCursor cursor(document());
    cursor.select(QTextCursor::Document);
    cursor.removeSelectedText();
}

int SqlEditor::lineNumberWidth() const {
    int digits = 1;
    for (int lines = std::max(1, blockCount()); lines >= 10; lines /= 10)
        ++digits;
    return 6 + fontMetrics().horizontalAdvance(QLatin1Char('9')) * std::max(digits, 2);
}

void SqlEditor::resizeEvent(QResizeEvent *event) {
    QPlainTextEdit::resizeEvent(event);
    const QRect area = contentsRect();
    lineNumbers_->setGeometry(area.left(), area.top(), lineNumberWidth(), area.height());
}

void SqlEditor::focusInEvent(QFocusEvent *event) {
    QPlainTextEdit::focusInEvent(event);
    Select_Text_On_Focus(window(), this, event->reason());
}

void SqlEditor::paintLineNumbers(QPaintEvent *event) {
    QPainter painter(lineNumbers_);
    painter.fillRect(event->rect(), palette().color(QPalette::AlternateBase));
    painter.setPen(palette().color(QPalette::PlaceholderText));
    QTextBlock block = firstVisibleBlock();
    int top = qRound(blockBoundingGeometry(block).translated(contentOffset()).top());
    const int height = fontMetrics().height();
    while (block.isValid() && top <= event->rect().bottom()) {
        if (block.isVisible())
            painter.drawText(0, top, lineNumbers_->width() - 3, height, Qt::AlignRight,
                             QString::number(block.blockNumber() + 1));
        top += qRound(blockBoundingRect(block).height());
        block = block.next();
    }
}

void SqlEditor::markCurrentLine() {
    QTextEdit::ExtraSelection line;
    QColor colour = palette().color(QPalette::Highlight);
    colour.setAlpha(28);
    line.format.setBackground(colour);
    line.format.setProperty(QTextFormat::FullWidthSelection, true);
    line.cursor = textCursor();
    line.cursor.clearSelection();
    setExtraSelections({line});
}

#include "editor/SqlHighlighter.h"

#include "sql/SqlTokenizer.h"

#include <QAbstractTextDocumentLayout>
#include <QElapsedTimer>
#include <QTextBlock>
#include <QTextDocument>
#include <QTimer>
#include <limits>
#include <strings.h>

using bm::db::Lexeme;
using bm::db::Lexer;
using bm::db::LexState;
using bm::db::TokenKind;

const QColor SqlHighlighter::kBlue(0, 0, 255);
const QColor SqlHighlighter::kGreen(0, 174, 0);
const QColor SqlHighlighter::kGrey(128, 128, 128);
const QColor SqlHighlighter::kRed(255, 0, 0);
const QColor SqlHighlighter::kComment(96, 128, 96);
const QColor SqlHighlighter::kLiteral(128, 64, 0);

namespace {

// A change is coloured at once up to this much time; the rest follows between events.
constexpr qint64 kAtOnceNs = 15'000'000;
constexpr qint64 kSliceNs = 10'000'000;

// The block state: the lexer state a line leaves open, and whether it ends in ORDER or GROUP.
constexpr int kStateMask = 3;
constexpr int kOrderPending = 4;

struct Keyword {
    const char *word;
    const QColor *colour;
};

// The keyword table. ORDER BY and GROUP BY are found as pairs of words.
const Keyword kKeywords[] = {
    {"SELECT", &SqlHighlighter::kBlue},   {"FROM", &SqlHighlighter::kBlue},
    {"WHERE", &SqlHighlighter::kBlue},    {"INSERT", &SqlHighlighter::kBlue},
    {"UPDATE", &SqlHighlighter::kBlue},   {"INTO", &SqlHighlighter::kBlue},
    {"DELETE", &SqlHighlighter::kBlue},   {"HAVING", &SqlHighlighter::kBlue},
    {"ASC", &SqlHighlighter::kBlue},      {"DESC", &SqlHighlighter::kBlue},
    {"CREATE", &SqlHighlighter::kGreen},  {"DROP", &SqlHighlighter::kGreen},
    {"REPLACE", &SqlHighlighter::kGreen}, {"AND", &SqlHighlighter::kGrey},
    {"OR", &SqlHighlighter::kGrey},       {"NOT", &SqlHighlighter::kGrey},
    {"TABLE", &SqlHighlighter::kRed},     {"VIEW", &SqlHighlighter::kRed},
    {"COLUMN", &SqlHighlighter::kRed},    {"INDEX", &SqlHighlighter::kRed},
    {"PACKAGE", &SqlHighlighter::kRed},   {"SYNONYM", &SqlHighlighter::kRed},
    {"TRIGGER", &SqlHighlighter::kRed},
};

bool sameWord(std::string_view text, const char *word) {
    return text.size() == std::strlen(word) && strncasecmp(text.data(), word, text.size()) == 0;
}

const QColor *keywordColour(std::string_view word) {
    for (const Keyword &k : kKeywords)
        if (sameWord(word, k.word))
            return k.colour;
    return nullptr;
}

QTextCharFormat coloured(const QColor &colour) {
    QTextCharFormat format;
    format.setForeground(colour);
    return format;
}

bool isBy(std::string_view text, const Lexeme &l) {
    return l.kind == TokenKind::Word && sameWord(text.substr(l.offset, l.length), "BY");
}

// True when the first token of the line that is not white space is the word BY.
bool startsWithBy(const QString &line) {
    const QByteArray bytes = line.toUtf8();
    const std::string_view text(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    Lexer lexer(text);
    for (Lexeme l; lexer.next(l);)
        if (l.kind != TokenKind::Space)
            return isBy(text, l);
    return false;
}

} // namespace

SqlHighlighter::SqlHighlighter(QTextDocument *document)
    : QObject(document), document_(document), timer_(new QTimer(this)) {
    timer_->setSingleShot(true);
    timer_->setInterval(0);
    connect(timer_, &QTimer::timeout, this, [this] { work(kSliceNs); });
    // A document reports its changes only once it has a layout; make sure it has one.
    document_->documentLayout();
    connect(document_, &QTextDocument::contentsChange, this, &SqlHighlighter::contentsChange);
    rehighlight();
}

SqlHighlighter::LineResult
SqlHighlighter::highlightLine(const QString &line, int startState, bool byFromPrevious,
                              const QString &nextLine, bool colouring,
                              QVector<QTextLayout::FormatRange> &formats) {
    formats.clear();
    const QByteArray bytes = line.toUtf8();
    const std::string_view text(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    // Lexer offsets are in bytes; the formats are in characters of the line.
    std::vector<int> at;
    if (bytes.size() != line.size()) {
        at.resize(text.size() + 1);
        int unit = 0;
        for (std::size_t b = 0; b < text.size(); ++b) {
            at[b] = unit;
            const auto c = static_cast<unsigned char>(text[b]);
            if ((c & 0xC0) != 0x80)
                unit += c >= 0xF0 ? 2 : 1; // beyond the BMP a character takes two units
        }
        at[text.size()] = static_cast<int>(line.size());
    }
    const auto position = [&](std::size_t offset) {
        return at.empty() ? static_cast<int>(offset) : at[offset];
    };
    const auto paint = [&](std::size_t offset, std::size_t length, const QColor &colour) {
        const int start = position(offset);
        formats.append({start, position(offset + length) - start, coloured(colour)});
    };

    std::vector<Lexeme> tokens;
    Lexer lexer(text, 0, static_cast<LexState>(startState & kStateMask));
    for (Lexeme l; lexer.next(l);)
        tokens.push_back(l);
    LineResult result;
    result.endState = static_cast<int>(lexer.state());

    bool first = true; // no token but white space before this one on the line
    std::size_t pairedBy = std::numeric_limits<std::size_t>::max();
    for (std::size_t t = 0; t < tokens.size(); ++t) {
        const Lexeme &l = tokens[t];
        if (l.kind == TokenKind::Space)
            continue;
        const bool atStart = first;
        first = false;
        result.endsWithOrderOrGroup = false;
        if (!colouring)
            continue;
        switch (l.kind) {
        case TokenKind::Comment:
            paint(l.offset, l.length, kComment);
            break;
        case TokenKind::String:
            paint(l.offset, l.length, kLiteral);
            break;
        case TokenKind::Operator:
            for (std::size_t k = 0; k < l.length; ++k) {
                const char c = text[l.offset + k];
                if (c == '<' || c == '>' || c == '=')
                    paint(l.offset + k, 1, kGrey);
            }
            break;
        case TokenKind::Word: {
            const std::string_view word = text.substr(l.offset, l.length);
            if (sameWord(word, "ORDER") || sameWord(word, "GROUP")) {
                std::size_t next = t + 1;
                while (next < tokens.size() && tokens[next].kind == TokenKind::Space)
                    ++next;
                if (next < tokens.size()) {
                    if (isBy(text, tokens[next])) {
                        paint(l.offset, l.length, kBlue);
                        paint(tokens[next].offset, tokens[next].length, kBlue);
                        pairedBy = next;
                    }
                } else {
                    // The pair may go on to the next line: "any white space" between them.
                    result.endsWithOrderOrGroup = true;
                    if (startsWithBy(nextLine))
                        paint(l.offset, l.length, kBlue);
                }
            } else if (isBy(text, l)) {
                if (t != pairedBy && atStart && byFromPrevious)
                    paint(l.offset, l.length, kBlue);
            } else if (const QColor *colour = keywordColour(word)) {
                paint(l.offset, l.length, *colour);
            }
            break;
        }
        default:
            break;
        }
    }
    if (!colouring) {
        // Still known without colouring, so that switching it on needs no second pass.
        std::size_t last = tokens.size();
        while (last > 0 && tokens[last - 1].kind == TokenKind::Space)
            --last;
        if (last > 0 && tokens[last - 1].kind == TokenKind::Word) {
            const std::string_view word =
                text.substr(tokens[last - 1].offset, tokens[last - 1].length);
            result.endsWithOrderOrGroup = sameWord(word, "ORDER") || sameWord(word, "GROUP");
        }
    }
    return result;
}

void SqlHighlighter::setColouring(bool on) {
    if (on == colouring_)
        return;
    colouring_ = on;
    rehighlight();
}

void SqlHighlighter::rehighlight() {
    for (QTextBlock block = document_->begin(); block.isValid(); block = block.next())
        block.setUserState(-1);
    contentsChange(0, 0, document_->characterCount());
}

bool SqlHighlighter::busy() const {
    return !resume_.isNull();
}

void SqlHighlighter::finish() {
    while (busy())
        work(std::numeric_limits<qint64>::max());
}

void SqlHighlighter::contentsChange(int position, int, int added) {
    QTextBlock first = document_->findBlock(position);
    // The line before may end in ORDER or GROUP, whose colour depends on this one.
    if (first.previous().isValid())
        first = first.previous();
    const int last = std::min(position + added, document_->characterCount() - 1);
    if (resume_.isNull()) {
        resume_ = QTextCursor(document_);
        resume_.setKeepPositionOnInsert(true);
        resume_.setPosition(first.position());
        forcedTo_ = QTextCursor(document_);
        forcedTo_.setPosition(std::max(0, last));
    } else {
        if (first.position() < resume_.position())
            resume_.setPosition(first.position());
        if (last > forcedTo_.position())
            forcedTo_.setPosition(last);
    }
    work(kAtOnceNs);
}

void SqlHighlighter::work(qint64 budgetNs) {
    if (resume_.isNull())
        return;
    QElapsedTimer clock;
    clock.start();
    QVector<QTextLayout::FormatRange> formats;
    QTextBlock block = document_->findBlock(resume_.position());
    while (block.isValid()) {
        const QTextBlock previous = block.previous();
        const int before = previous.isValid() ? std::max(0, previous.userState()) : 0;
        const QTextBlock next = block.next();
        const LineResult line =
            highlightLine(block.text(), before & kStateMask, (before & kOrderPending) != 0,
                          next.isValid() ? next.text() : QString(), colouring_, formats);
        const int state = line.endState | (line.endsWithOrderOrGroup ? kOrderPending : 0);
        const int old = block.userState();
        if (block.layout()->formats() != formats) {
            block.layout()->setFormats(formats);
            document_->markContentsDirty(block.position(), block.length());
        }
        block.setUserState(state);
        const bool forced = block.position() <= forcedTo_.position();
        if (!forced && state == old)
            break; // the lines below see the same start as before
        block = next;
        if (block.isValid() && clock.nsecsElapsed() >= budgetNs) {
            resume_.setPosition(block.position());
            timer_->start();
            return;
        }
    }
    resume_ = QTextCursor();
    forcedTo_ = QTextCursor();
}

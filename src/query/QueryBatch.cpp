#include "QueryBatch.h"

#include "sql/SqlTokenizer.h"

#include <cstring>
#include <strings.h>

cQuery &colQueries::Add(const QString &type, const QString &text, bool valid, const QString &key) {
    auto query = std::make_shared<cQuery>();
    query->QueryType = type;
    query->QueryString = text;
    query->QueryValid = valid;
    return append(std::move(query), key);
}

namespace {

bool isSpace(QChar c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

// Skips white space and comments from i.
qsizetype skipTrivia(const QString &text, qsizetype i, bool parentheses = false) {
    while (i < text.size()) {
        if (isSpace(text[i]) || (parentheses && text[i] == '(')) {
            ++i;
        } else if (text.mid(i, 2) == "--") {
            const qsizetype end = text.indexOf('\n', i);
            i = end < 0 ? text.size() : end + 1;
        } else if (text.mid(i, 2) == "/*") {
            const qsizetype end = text.indexOf("*/", i + 2);
            i = end < 0 ? text.size() : end + 2;
        } else {
            break;
        }
    }
    return i;
}

// The word at i, upper case.
QString wordAt(const QString &text, qsizetype i) {
    qsizetype end = i;
    while (end < text.size() && (text[end].isLetterOrNumber() || text[end] == '_'))
        ++end;
    return text.mid(i, end - i).toUpper();
}

using bm::db::Lexeme;
using bm::db::Lexer;
using bm::db::TokenKind;

bool sameWord(std::string_view text, const char *word) {
    return text.size() == std::strlen(word) && strncasecmp(text.data(), word, text.size()) == 0;
}

// The next word at or after from, past white space and comments; empty where something else
// comes first.
std::string_view nextWord(std::string_view text, Lexer &lexer) {
    for (Lexeme l; lexer.next(l);) {
        if (l.kind == TokenKind::Space || l.kind == TokenKind::Comment)
            continue;
        return l.kind == TokenKind::Word ? text.substr(l.offset, l.length) : std::string_view();
    }
    return {};
}

// DECLARE, BEGIN or CREATE [OR REPLACE] FUNCTION, PROCEDURE, PACKAGE, TRIGGER or TYPE at from.
bool startsPlSqlBlock(std::string_view text, std::size_t from) {
    Lexer lexer(text, from);
    std::string_view word = nextWord(text, lexer);
    if (sameWord(word, "DECLARE") || sameWord(word, "BEGIN"))
        return true;
    if (!sameWord(word, "CREATE"))
        return false;
    word = nextWord(text, lexer);
    if (sameWord(word, "OR")) {
        if (!sameWord(nextWord(text, lexer), "REPLACE"))
            return false;
        word = nextWord(text, lexer);
    }
    for (const char *kind : {"FUNCTION", "PROCEDURE", "PACKAGE", "TRIGGER", "TYPE"})
        if (sameWord(word, kind))
            return true;
    return false;
}

// The position past the spaces (only blanks) from i, up to end.
std::size_t skipBlanks(std::string_view text, std::size_t i, std::size_t end) {
    while (i < end && text[i] == ' ')
        ++i;
    return i;
}

// True when from i to end there is nothing but white space and comments.
bool onlyTrivia(std::string_view text, std::size_t i, std::size_t end) {
    Lexer lexer(text.substr(0, end), i);
    for (Lexeme l; lexer.next(l);)
        if (l.kind != TokenKind::Space && l.kind != TokenKind::Comment)
            return false;
    return true;
}

} // namespace

colQueries Split_Queries(const QString &input) {
    colQueries queries;
    // Read once, as UTF-8, by the shared lexer; each statement is cut out by its offsets.
    const QByteArray bytes = input.toUtf8();
    const std::string_view all(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    std::size_t end = all.size();
    while (end > 0 && all[end - 1] == ' ')
        --end;
    const std::string_view text = all.substr(0, end);
    const auto add = [&](std::size_t from, std::size_t to) {
        const QString statement = QString::fromUtf8(text.data() + from, qsizetype(to - from));
        queries.Add(Get_Query_Type(statement), statement, true);
    };

    std::size_t start = skipBlanks(text, 0, end);
    Lexer lexer(text, start);
    bool block = startsPlSqlBlock(text, start);
    bool lineClean = true; // only white space so far on the current line
    for (Lexeme l; lexer.next(l);) {
        if (l.kind == TokenKind::Space) {
            if (std::memchr(text.data() + l.offset, '\n', l.length))
                lineClean = true;
            continue;
        }
        const bool clean = lineClean;
        lineClean = false;
        if (l.kind != TokenKind::Operator)
            continue;
        std::size_t next = 0;
        if (!block && text[l.offset] == ';') {
            add(start, l.offset);
            next = l.offset + 1;
        } else if (block && clean && text[l.offset] == '/') {
            // A line holding only "/" ends the block; the line itself is not sent.
            std::size_t after = l.offset + 1;
            while (after < end &&
                   (text[after] == ' ' || text[after] == '\t' || text[after] == '\r'))
                ++after;
            if (after < end && text[after] != '\n')
                continue;
            std::size_t lineStart = l.offset;
            while (lineStart > start && text[lineStart - 1] != '\n')
                --lineStart;
            std::size_t blockEnd = lineStart;
            while (blockEnd > start && (text[blockEnd - 1] == '\n' || text[blockEnd - 1] == '\r'))
                --blockEnd;
            add(start, blockEnd);
            next = after < end ? after + 1 : end;
            if (onlyTrivia(text, next, end))
                return queries;
        } else {
            continue;
        }
        start = skipBlanks(text, next, end);
        lexer = Lexer(text, start);
        block = startsPlSqlBlock(text, start);
        lineClean = true;
    }
    // The text after the last semicolon runs when it holds a statement; a text with no
    // semicolon at all is one statement, even an empty one. A block runs to the end.
    if (queries.Count() == 0 || block || !onlyTrivia(text, start, end))
        add(start, end);
    return queries;
}

QString Get_Query_Type(const QString &text) {
    const qsizetype start = skipTrivia(text, 0, true);
    const QString word = wordAt(text, start);
    return word == "SELECT" || word == "WITH" ? QStringLiteral("SELECT")
                                              : QStringLiteral("GENERAL");
}

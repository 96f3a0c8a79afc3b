#include "QueryBatch.h"

#include "sql/AppError.h"

cQuery &colQueries::Add(const QString &type, const QString &text, bool valid, const QString &key) {
    auto query = std::make_shared<cQuery>();
    query->QueryType = type;
    query->QueryString = text;
    query->QueryValid = valid;
    if (!key.isEmpty()) {
        if (keyed_.contains(key))
            throw bm::AppError(457, "colQueries",
                               "This key is already associated with an element of this "
                               "collection");
        keyed_.insert(key, query);
    }
    items_.append(query);
    return *query;
}

cQuery &colQueries::Item(int position) {
    if (position < 1 || position > items_.size())
        throw bm::AppError(9, "colQueries", "Subscript out of range");
    return *items_[position - 1];
}

cQuery &colQueries::Item(const QString &key) {
    const auto it = keyed_.find(key);
    if (it == keyed_.end())
        throw bm::AppError(5, "colQueries", "Invalid procedure call or argument");
    return **it;
}

void colQueries::Remove(int position) {
    const std::shared_ptr<cQuery> query = items_.at(position - 1);
    items_.removeAt(position - 1);
    for (auto it = keyed_.begin(); it != keyed_.end(); ++it)
        if (it.value() == query) {
            keyed_.erase(it);
            break;
        }
}

void colQueries::Remove(const QString &key) {
    const std::shared_ptr<cQuery> query = keyed_.take(key);
    items_.removeAll(query);
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

bool startsPlSqlBlock(const QString &text, qsizetype i) {
    i = skipTrivia(text, i);
    QString word = wordAt(text, i);
    if (word == "DECLARE" || word == "BEGIN")
        return true;
    if (word != "CREATE")
        return false;
    i = skipTrivia(text, i + word.size());
    word = wordAt(text, i);
    if (word == "OR") {
        i = skipTrivia(text, i + word.size());
        if (wordAt(text, i) != "REPLACE")
            return false;
        i = skipTrivia(text, i + 7);
        word = wordAt(text, i);
    }
    return word == "FUNCTION" || word == "PROCEDURE" || word == "PACKAGE" || word == "TRIGGER" ||
           word == "TYPE";
}

// Moves past a literal, quoted name or comment starting at i; returns i unchanged otherwise.
qsizetype skipQuoted(const QString &text, qsizetype i) {
    const QChar c = text[i];
    if (c == '\'' || c == '"') {
        qsizetype j = i + 1;
        while (j < text.size()) {
            if (text[j] == c) {
                if (j + 1 < text.size() && text[j + 1] == c) {
                    j += 2;
                    continue;
                }
                return j + 1;
            }
            ++j;
        }
        return text.size();
    }
    if (text.mid(i, 2) == "--" || text.mid(i, 2) == "/*")
        return skipTrivia(text, i);
    return i;
}

// The position of the next statement-ending semicolon from i, or -1.
qsizetype nextSemicolon(const QString &text, qsizetype i) {
    while (i < text.size()) {
        const qsizetype past = skipQuoted(text, i);
        if (past != i) {
            i = past;
        } else if (text[i] == ';') {
            return i;
        } else {
            ++i;
        }
    }
    return -1;
}

// A line holding only "/" from i: its start and the position after it (or -1, -1).
std::pair<qsizetype, qsizetype> nextSlashLine(const QString &text, qsizetype i) {
    qsizetype lineStart = i;
    while (i < text.size()) {
        const qsizetype past = skipQuoted(text, i);
        if (past != i) {
            // A literal or comment can span lines; a line that starts inside one is no "/" line.
            const qsizetype lastBreak = text.lastIndexOf('\n', past - 1);
            if (lastBreak >= i)
                lineStart = lastBreak + 1;
            i = past;
            continue;
        }
        if (text[i] == '\n') {
            lineStart = i + 1;
        } else if (text[i] == '/' && text.mid(lineStart, i - lineStart).trimmed().isEmpty()) {
            qsizetype end = i + 1;
            while (end < text.size() &&
                   (text[end] == ' ' || text[end] == '\t' || text[end] == '\r'))
                ++end;
            if (end == text.size() || text[end] == '\n')
                return {lineStart, end == text.size() ? end : end + 1};
        }
        ++i;
    }
    return {-1, -1};
}

QString trimSpaces(const QString &text) {
    qsizetype a = 0, b = text.size();
    while (a < b && text[a] == ' ')
        ++a;
    while (b > a && text[b - 1] == ' ')
        --b;
    return text.mid(a, b - a);
}

} // namespace

colQueries Split_Queries(const QString &input) {
    colQueries queries;
    const auto add = [&](const QString &statement) {
        queries.Add(Get_Query_Type(statement), statement, true);
    };
    QString text = trimSpaces(input);
    while (true) {
        if (startsPlSqlBlock(text, 0)) {
            const auto [lineStart, after] = nextSlashLine(text, 0);
            if (lineStart < 0) {
                add(text);
                break;
            }
            QString block = text.left(lineStart);
            while (block.endsWith('\n') || block.endsWith('\r'))
                block.chop(1);
            add(block);
            text = trimSpaces(text.mid(after));
            if (skipTrivia(text, 0) >= text.size())
                break;
            continue;
        }
        const qsizetype semicolon = nextSemicolon(text, 0);
        if (semicolon < 0) {
            // The text after the last semicolon runs when it holds a statement; a text with
            // no semicolon at all is one statement, even an empty one.
            if (queries.Count() == 0 || skipTrivia(text, 0) < text.size())
                add(text);
            break;
        }
        add(text.left(semicolon));
        text = trimSpaces(text.mid(semicolon + 1));
    }
    return queries;
}

QString Get_Query_Type(const QString &text) {
    const qsizetype start = skipTrivia(text, 0, true);
    const QString word = wordAt(text, start);
    return word == "SELECT" || word == "WITH" ? QStringLiteral("SELECT")
                                              : QStringLiteral("GENERAL");
}

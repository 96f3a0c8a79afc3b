#include "db/embedded/OracleDialect.h"

#include "db/embedded/ConnectBy.h"
#include "db/embedded/DialectLevels.h"
#include "db/embedded/Sequences.h"
#include "sql/AppError.h"

#include <algorithm>
#include <map>

namespace bm::db {

using namespace dialect;

namespace {

// Wraps each || chain of one nesting level: nullif(coalesce(a,'')||coalesce(b,''),'').
void rewriteLevel(const std::vector<Item> &items, Insertions &edits) {
    std::size_t emitted = 0; // items before this belong to a chain already wrapped
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (!items[i].isOp("||"))
            continue;
        const std::size_t leftLast = prevSignificant(items, i);
        if (leftLast == std::string::npos || leftLast < emitted)
            continue;
        std::vector<std::pair<std::size_t, std::size_t>> operands{
            {operandStart(items, leftLast), leftLast}};
        std::size_t bar = i;
        while (bar < items.size() && items[bar].isOp("||")) {
            const std::size_t first = nextSignificant(items, bar);
            if (first == std::string::npos)
                break;
            const std::size_t last = operandEnd(items, first);
            operands.emplace_back(first, last);
            bar = nextSignificant(items, last);
            if (bar == std::string::npos)
                break;
        }
        if (operands.size() < 2)
            continue;
        edits.before[items[operands.front().first].first] += "nullif(";
        for (const auto &[first, last] : operands) {
            edits.before[items[first].first] += "coalesce(";
            edits.after[items[last].last] += ",'')";
        }
        edits.after[items[operands.back().second].last] += ",'')";
        emitted = operands.back().second + 1;
        i = operands.back().second;
    }
}

bool isOrderTerminator(const Item &item) {
    return item.isOp(";") || (item.token && (item.token->is("LIMIT") || item.token->is("OFFSET") ||
                                             item.token->is("FETCH") || item.token->is("FOR")));
}

// Oracle sorts nulls after every value in ascending order and before them in descending order;
// each ORDER BY item without its own NULLS FIRST or LAST gets Oracle's.
void rewriteNullOrdering(const std::vector<Item> &items, Insertions &edits) {
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (!items[i].token || !items[i].token->is("ORDER"))
            continue;
        std::size_t by = nextSignificant(items, i);
        if (by == std::string::npos || !items[by].token || !items[by].token->is("BY"))
            continue;
        std::size_t k = by;
        for (;;) {
            std::size_t last = std::string::npos, beforeLast = std::string::npos;
            std::size_t j = nextSignificant(items, k);
            while (j != std::string::npos && !items[j].isOp(",") && !isOrderTerminator(items[j])) {
                beforeLast = last;
                last = j;
                j = nextSignificant(items, j);
            }
            if (last != std::string::npos) {
                const Token *end = items[last].token;
                const bool hasNulls = end && (end->is("FIRST") || end->is("LAST")) &&
                                      beforeLast != std::string::npos && items[beforeLast].token &&
                                      items[beforeLast].token->is("NULLS");
                if (!hasNulls)
                    edits.after[items[last].last] +=
                        end && end->is("DESC") ? " NULLS FIRST" : " NULLS LAST";
            }
            if (j == std::string::npos || !items[j].isOp(","))
                break;
            k = j;
        }
    }
}

// VARCHAR2(n BYTE) is VARCHAR2(n), the file's own meaning of a length; VARCHAR2(n CHAR), a
// length in characters, has no form the engine keeps, and is refused rather than taken as bytes.
void rewriteLengthSemantics(std::vector<Token> &tokens) {
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        if (!tokens[i].is("BYTE") && !tokens[i].is("CHAR"))
            continue;
        const std::size_t number = significantBefore(tokens, i),
                          open = significantBefore(tokens, number),
                          close = significantFrom(tokens, i + 1);
        if (number >= tokens.size() || open >= tokens.size() || close >= tokens.size() ||
            tokens[number].kind != TokenKind::Number || !tokens[open].isOp("(") ||
            !tokens[close].isOp(")"))
            continue;
        if (tokens[i].is("CHAR"))
            throw AppError(kErrStatementRejected, "Brindlemark embedded engine",
                           "Lengths in characters, as in VARCHAR2(n CHAR), are not offered by the "
                           "embedded engine; NVARCHAR2(n) counts characters.");
        tokens[i] = {TokenKind::Space, ""};
    }
}

} // namespace

bool isReservedWord(const Token &token) {
    static const char *const words[] = {
        "AND",       "OR",      "NOT",   "IN",      "EXISTS", "SELECT", "FROM",     "WHERE",
        "ON",        "WHEN",    "THEN",  "ELSE",    "AS",     "BY",     "VALUES",   "IS",
        "LIKE",      "BETWEEN", "SET",   "INTO",    "JOIN",   "USING",  "HAVING",   "UNION",
        "ALL",       "ANY",     "SOME",  "OVER",    "CASE",   "END",    "PRIOR",    "WITH",
        "ORDER",     "GROUP",   "START", "CONNECT", "NULL",   "ESCAPE", "DISTINCT", "RETURNING",
        "INTERSECT", "MINUS",   "EXCEPT"};
    if (token.kind != TokenKind::Word)
        return false;
    for (const char *word : words)
        if (token.is(word))
            return true;
    return false;
}

std::vector<std::string> selectListHeadings(const std::vector<Token> &tokens) {
    std::vector<const Token *> t;
    for (const Token &token : tokens)
        if (!token.isTrivia())
            t.push_back(&token);
    if (t.empty() || !t[0]->is("SELECT"))
        return {};
    std::size_t i = 1;
    if (i < t.size() && (t[i]->is("DISTINCT") || t[i]->is("ALL") || t[i]->is("UNIQUE")))
        ++i;
    std::vector<std::vector<const Token *>> items(1);
    for (int depth = 0; i < t.size(); ++i) {
        if (t[i]->isOp("(") || t[i]->is("CASE"))
            ++depth;
        else if (t[i]->isOp(")") || t[i]->is("END"))
            --depth;
        if (depth == 0 &&
            (t[i]->is("FROM") || t[i]->is("UNION") || t[i]->is("INTERSECT") || t[i]->is("EXCEPT") ||
             t[i]->is("MINUS") || t[i]->is("ORDER") || t[i]->is("GROUP") || t[i]->is("WHERE") ||
             t[i]->is("HAVING") || t[i]->is("LIMIT") || t[i]->is("INTO") || t[i]->is("WINDOW")))
            break;
        if (depth == 0 && t[i]->isOp(","))
            items.emplace_back();
        else
            items.back().push_back(t[i]);
    }
    std::vector<std::string> headings;
    for (const auto &item : items) {
        if (item.empty() || item.back()->isOp("*"))
            return {};
        const Token &last = *item.back();
        const bool name = (last.kind == TokenKind::Word && !isReservedWord(last)) ||
                          last.kind == TokenKind::QuotedName;
        const Token *before = item.size() >= 2 ? item[item.size() - 2] : nullptr;
        const bool alias =
            name && before &&
            (before->is("AS") || before->isOp(")") || before->kind == TokenKind::String ||
             before->kind == TokenKind::Number || before->kind == TokenKind::QuotedName ||
             before->is("NULL") || before->is("END") ||
             (before->kind == TokenKind::Word && !isReservedWord(*before)));
        // A column, maybe qualified, is headed by its own name.
        bool dotted = item.size() % 2 == 1;
        for (std::size_t k = 0; dotted && k < item.size(); ++k)
            dotted = k % 2 ? item[k]->isOp(".")
                           : (item[k]->kind == TokenKind::Word ||
                              item[k]->kind == TokenKind::QuotedName);
        if (alias || (dotted && name)) {
            headings.push_back(last.kind == TokenKind::QuotedName ? unquote(last)
                                                                  : upperAscii(last.text));
            continue;
        }
        std::string text;
        for (const Token *token : item)
            text += token->text;
        headings.push_back(upperAscii(text));
    }
    return headings;
}

// TRIM(LEADING|TRAILING|BOTH [set] FROM text) and TRIM(set FROM text) become SQLite's
// LTRIM, RTRIM and TRIM(text, set); the set defaults to a blank.
// EXTRACT(field FROM value) becomes bm_extract('FIELD', value).
static void rewriteExtract(std::vector<Token> &tokens) {
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        if (!tokens[i].is("EXTRACT"))
            continue;
        const std::size_t open = significantFrom(tokens, i + 1);
        const std::size_t field = significantFrom(tokens, open + 1);
        const std::size_t from = significantFrom(tokens, field + 1);
        if (from >= tokens.size() || !tokens[open].isOp("(") ||
            tokens[field].kind != TokenKind::Word || !tokens[from].is("FROM"))
            continue;
        tokens[i] = {TokenKind::Word, "bm_extract"};
        tokens[field] = {TokenKind::String, quoteString(upperAscii(tokens[field].text))};
        tokens[from] = {TokenKind::Operator, ","};
    }
}

static void rewriteTrim(std::vector<Token> &tokens) {
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        if (!tokens[i].is("TRIM"))
            continue;
        const std::size_t open = significantFrom(tokens, i + 1);
        if (open >= tokens.size() || !tokens[open].isOp("("))
            continue;
        std::size_t close = open, from = std::string::npos;
        int depth = 0;
        for (; close < tokens.size(); ++close) {
            if (tokens[close].isOp("("))
                ++depth;
            else if (tokens[close].isOp(")") && --depth == 0)
                break;
            else if (depth == 1 && tokens[close].is("FROM") && from == std::string::npos)
                from = close;
        }
        if (close >= tokens.size() || from == std::string::npos)
            continue; // TRIM(text): the same in both
        std::size_t setStart = open + 1;
        while (setStart < from && tokens[setStart].isTrivia())
            ++setStart;
        std::string name = "TRIM";
        if (setStart < from && (tokens[setStart].is("LEADING") || tokens[setStart].is("TRAILING") ||
                                tokens[setStart].is("BOTH"))) {
            name = tokens[setStart].is("LEADING")    ? "LTRIM"
                   : tokens[setStart].is("TRAILING") ? "RTRIM"
                                                     : "TRIM";
            ++setStart;
        }
        std::string set;
        for (std::size_t k = setStart; k < from; ++k)
            set += tokens[k].text;
        std::string text;
        for (std::size_t k = from + 1; k < close; ++k)
            text += tokens[k].text;
        if (set.find_first_not_of(" \t\r\n") == std::string::npos)
            set = "' '";
        std::vector<Token> replacement = tokenize(name + "((" + text + "), (" + set + "))");
        tokens.erase(tokens.begin() + static_cast<std::ptrdiff_t>(i),
                     tokens.begin() + static_cast<std::ptrdiff_t>(close + 1));
        tokens.insert(tokens.begin() + static_cast<std::ptrdiff_t>(i), replacement.begin(),
                      replacement.end());
        i += replacement.size() - 1;
    }
}

std::string rewriteConcatenation(const std::vector<Token> &tokens) {
    return rewriteLevels(tokens, nullptr);
}

std::string rewriteLevels(const std::vector<Token> &tokens, const DialectContext *context) {
    const Groups groups = findGroups(tokens);
    Insertions edits;
    // Each nesting level is read once, its groups seen as single items; the levels inside them
    // wait on a work list, so the cost is linear in the statement, whatever its depth.
    std::vector<std::pair<std::size_t, std::size_t>> levels{{0, tokens.size()}};
    std::vector<Item> items;
    while (!levels.empty()) {
        const auto [begin, end] = levels.back();
        levels.pop_back();
        items.clear();
        for (std::size_t i = begin; i < end;) {
            if (const std::size_t past = groups.end[i]; past != 0) {
                const std::size_t innerEnd = groups.closed[i] ? past - 1 : past;
                levels.emplace_back(i + 1, innerEnd);
                items.push_back({i, past - 1, nullptr});
                i = past;
            } else {
                items.push_back({i, i, &tokens[i]});
                ++i;
            }
        }
        rewriteLevel(items, edits);
        // Where a LIMIT goes: before the group's ")" or the statement's ";", else at its end.
        std::size_t insertAt = end;
        const std::size_t lastItem =
            items.empty() ? std::string::npos : prevSignificant(items, items.size());
        if (lastItem != std::string::npos && items[lastItem].isOp(";"))
            insertAt = items[lastItem].first;
        if (context)
            checkGrouping(tokens, items, *context);
        rewriteRowLimiting(tokens, items, insertAt, edits);
        rewriteAddition(items, edits);
        rewriteDivision(items, edits);
        rewriteNullOrdering(items, edits);
    }
    std::string out;
    for (std::size_t i = 0; i <= tokens.size(); ++i) {
        if (i == tokens.size()) {
            if (auto it = edits.before.find(i); it != edits.before.end())
                out += it->second;
            break;
        }
        if (auto it = edits.before.find(i); it != edits.before.end())
            out += it->second;
        if (auto it = edits.replace.find(i); it != edits.replace.end())
            out += it->second;
        else
            out += tokens[i].text;
        if (auto it = edits.after.find(i); it != edits.after.end())
            out += it->second;
    }
    return out;
}

std::string translateStatement(std::vector<Token> tokens, const DialectContext &context) {
    if (isPlSql(tokens))
        throw AppError(kErrStatementRejected, "Brindlemark embedded engine",
                       "PL/SQL blocks and stored program units (procedures, functions, packages, "
                       "triggers, types) need an Oracle database: the embedded engine cannot run "
                       "them.");
    // The names a definition gives are stored as Oracle stores unquoted names: in capitals, so
    // that the dictionary, the schema tree and the headings show them as Oracle would. Names
    // are matched without regard to case, so files made with small letters keep working.
    std::size_t firstWord = 0;
    while (firstWord < tokens.size() && tokens[firstWord].isTrivia())
        ++firstWord;
    if (firstWord < tokens.size() &&
        (tokens[firstWord].is("CREATE") || tokens[firstWord].is("ALTER"))) {
        for (Token &t : tokens)
            if (t.kind == TokenKind::Word)
                t.text = upperAscii(t.text);
        rewriteLengthSemantics(tokens);
    }
    // A query written inside parentheses as a whole statement.
    if (firstWord < tokens.size() && tokens[firstWord].isOp("(")) {
        std::size_t depth = 0, close = std::string::npos;
        for (std::size_t i = firstWord; i < tokens.size(); ++i) {
            if (tokens[i].isOp("("))
                ++depth;
            else if (tokens[i].isOp(")") && --depth == 0) {
                close = i;
                break;
            }
        }
        bool whole = close != std::string::npos;
        for (std::size_t i = close + 1; whole && i < tokens.size(); ++i)
            whole = tokens[i].isTrivia() || tokens[i].isOp(";");
        if (whole)
            tokens.insert(tokens.begin() + static_cast<std::ptrdiff_t>(firstWord),
                          Token{TokenKind::Word, "SELECT * FROM "});
    }
    rewriteTrim(tokens);
    rewriteExtract(tokens);
    rewriteOuterJoins(tokens, &context);
    rewriteSequenceReferences(tokens);
    bool hierarchical = false;
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        Token &t = tokens[i];
        // Oracle has no empty text: '' is null wherever it is written.
        if (t.kind == TokenKind::String && t.text == "''") {
            t = {TokenKind::Word, "NULL"};
            continue;
        }
        if (t.kind != TokenKind::Word)
            continue;
        if (t.is("MINUS")) {
            t = {TokenKind::Word, "EXCEPT"};
            continue;
        }
        // DATE 'YYYY-MM-DD' and TIMESTAMP '…' literals: the text as the engine keeps dates.
        if ((t.is("DATE") || t.is("TIMESTAMP")) && i + 1 < tokens.size()) {
            std::size_t lit = i + 1;
            while (lit < tokens.size() && tokens[lit].isTrivia())
                ++lit;
            if (lit < tokens.size() && tokens[lit].kind == TokenKind::String) {
                const std::string value = unquote(tokens[lit]);
                const bool dateOnly = t.is("DATE") && value.size() == 10;
                tokens[lit] = {TokenKind::String,
                               quoteString(dateOnly ? value + " 00:00:00" : value)};
                t = {TokenKind::Space, ""};
                continue;
            }
        }
        std::size_t prev = i;
        while (prev > 0 && tokens[prev - 1].isTrivia())
            --prev;
        const bool qualified = prev > 0 && tokens[prev - 1].isOp(".");
        std::size_t next = i + 1;
        while (next < tokens.size() && tokens[next].isTrivia())
            ++next;
        const bool call = next < tokens.size() && tokens[next].isOp("(");
        if (t.text.find_first_of("#$") != std::string::npos) {
            t = {TokenKind::QuotedName, quoteName(t.text)};
        } else if (!qualified && !call && t.is("USER")) {
            t = {TokenKind::String, quoteString(upperAscii(context.userName))};
        } else if (!qualified && !call && (t.is("SYSDATE") || t.is("CURRENT_DATE"))) {
            t = {TokenKind::Word, "datetime('now','localtime')"};
        } else if (!qualified && !call && t.is("SYSTIMESTAMP")) {
            t = {TokenKind::Word, "strftime('%Y-%m-%d %H:%M:%f','now','localtime')"};
        } else if (t.is("CONNECT") && next < tokens.size() && tokens[next].is("BY")) {
            hierarchical = true;
        }
    }
    std::string text = rewriteLevels(tokens, &context);
    if (hierarchical)
        text = translateHierarchicalQuery(text, context);
    return text;
}

} // namespace bm::db

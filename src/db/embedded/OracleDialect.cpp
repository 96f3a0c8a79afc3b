#include "db/embedded/OracleDialect.h"

#include "db/embedded/ConnectBy.h"
#include "sql/AppError.h"

#include <algorithm>
#include <map>

namespace bm::db {

namespace {

// Deeper nesting of parentheses and CASE than any real statement needs is refused before the
// engine's own parser would run out of stack on it.
constexpr std::size_t kMaxNestingDepth = 255;

// One element of a nesting level: a token, or a whole group, (…) or CASE … END, seen as one.
struct Item {
    std::size_t first = 0, last = 0; // token range, inclusive
    const Token *token = nullptr;    // null for a group
    bool trivia() const { return token && token->isTrivia(); }
    bool isOp(std::string_view op) const { return token && token->isOp(op); }
    bool isName() const {
        return token && ((token->kind == TokenKind::Word && !isReservedWord(*token)) ||
                         token->kind == TokenKind::QuotedName);
    }
};

// For every token that opens a group, the index past the token that closes it (")" for "(",
// END for CASE), or the end of the statement when it is never closed; found in one pass.
struct Groups {
    std::vector<std::size_t> end; // 0 where the token opens no group
    std::vector<bool> closed;
};

Groups findGroups(const std::vector<Token> &t) {
    Groups g{std::vector<std::size_t>(t.size(), 0), std::vector<bool>(t.size(), false)};
    std::vector<std::size_t> open;
    auto finish = [&](std::size_t at, std::size_t past, bool closed) {
        g.end[at] = past;
        g.closed[at] = closed;
    };
    for (std::size_t i = 0; i < t.size(); ++i) {
        if (t[i].isOp("(") || t[i].is("CASE")) {
            if (open.size() >= kMaxNestingDepth)
                throw AppError(kErrStatementRejected, "Brindlemark embedded engine",
                               "The statement is nested too deeply: more than " +
                                   std::to_string(kMaxNestingDepth) +
                                   " levels of parentheses and CASE expressions.");
            open.push_back(i);
        } else if (t[i].isOp(")")) {
            // A CASE left open inside the parentheses ends with them.
            while (!open.empty() && !t[open.back()].isOp("(")) {
                finish(open.back(), i, false);
                open.pop_back();
            }
            if (!open.empty()) {
                finish(open.back(), i + 1, true);
                open.pop_back();
            }
        } else if (t[i].is("END") && !open.empty() && t[open.back()].is("CASE")) {
            finish(open.back(), i + 1, true);
            open.pop_back();
        }
    }
    for (std::size_t at : open)
        finish(at, t.size(), false);
    return g;
}

std::size_t prevSignificant(const std::vector<Item> &items, std::size_t i) {
    while (i > 0 && items[i - 1].trivia())
        --i;
    return i == 0 ? std::string::npos : i - 1;
}

std::size_t nextSignificant(const std::vector<Item> &items, std::size_t i) {
    ++i;
    while (i < items.size() && items[i].trivia())
        ++i;
    return i < items.size() ? i : std::string::npos;
}

// The first item of the operand that ends at item last.
std::size_t operandStart(const std::vector<Item> &items, std::size_t last) {
    std::size_t start = last;
    if (!items[last].token) {
        // A call: name(…)
        const std::size_t before = prevSignificant(items, last);
        if (before != std::string::npos && items[before].isName())
            start = before;
    }
    // Dotted names: a.b, s.t.c
    while (true) {
        const std::size_t dot = prevSignificant(items, start);
        if (dot == std::string::npos || dot + 1 != start || !items[dot].isOp("."))
            break;
        const std::size_t name = prevSignificant(items, dot);
        if (name == std::string::npos || name + 1 != dot || !items[name].isName())
            break;
        start = name;
    }
    return start;
}

// The last item of the operand that starts at item first.
std::size_t operandEnd(const std::vector<Item> &items, std::size_t first) {
    std::size_t end = first;
    // Signs in front of the operand belong to it.
    while ((items[end].isOp("-") || items[end].isOp("+")) && end + 1 < items.size())
        ++end;
    if (items[end].isName()) {
        const std::size_t next = nextSignificant(items, end);
        if (next != std::string::npos && !items[next].token)
            end = next; // a call, maybe with blanks before its parenthesis
    }
    while (end + 2 < items.size() && items[end + 1].isOp(".") && items[end + 2].isName())
        end += 2;
    return end;
}

// Text to put before and after tokens, and tokens written differently; the statement is then
// written out once.
struct Insertions {
    std::map<std::size_t, std::string> before, after, replace;
};

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

// Oracle's NUMBER division is exact, and dividing by zero is an error: a / b becomes
// a*1.0/bm_divisor(b). The factor goes right before the operator, so it takes whatever stands
// to its left at the same precedence.
void rewriteDivision(const std::vector<Item> &items, Insertions &edits) {
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (!items[i].isOp("/"))
            continue;
        const std::size_t left = prevSignificant(items, i);
        const std::size_t first = nextSignificant(items, i);
        if (left == std::string::npos || first == std::string::npos)
            continue;
        const std::size_t last = operandEnd(items, first);
        edits.before[items[i].first] += "*1.0";
        edits.before[items[first].first] += "bm_divisor(";
        edits.after[items[last].last] += ")";
    }
}

bool isArithmetic(const Item &item) {
    return item.isOp("+") || item.isOp("-") || item.isOp("*") || item.isOp("/") || item.isOp("%");
}

// One operand of an arithmetic expression: signs, then a name (maybe dotted, maybe a call),
// NULL, a number, a text or a group. Returns the item past it, or npos when none starts at i.
std::size_t parseOperand(const std::vector<Item> &items, std::size_t i) {
    while (i < items.size() && (items[i].trivia() || items[i].isOp("-") || items[i].isOp("+")))
        ++i;
    if (i >= items.size())
        return std::string::npos;
    const Item &item = items[i];
    if (!item.token)
        return i + 1; // a group: (…) or CASE … END
    const Token &t = *item.token;
    if (t.kind == TokenKind::Number || t.kind == TokenKind::String || t.is("NULL"))
        return i + 1;
    if (!item.isName())
        return std::string::npos;
    std::size_t end = i + 1;
    while (end + 1 < items.size() && items[end].isOp(".") && items[end + 1].isName())
        end += 2;
    const std::size_t next = nextSignificant(items, end - 1);
    if (next != std::string::npos && !items[next].token)
        end = next + 1; // a call
    return end;
}

// Oracle's + and - also add days to dates and subtract dates; the engine stores dates as text,
// on which SQLite's operators give numbers. Each chain a + b - c at this level becomes
// bm_minus(bm_plus(a, b), c), whose functions look at the values. Terms keep their * and /.
void rewriteAddition(const std::vector<Item> &items, Insertions &edits) {
    for (std::size_t i = 0; i < items.size();) {
        const std::size_t start = i;
        std::size_t end = parseOperand(items, i);
        if (end == std::string::npos) {
            ++i;
            continue;
        }
        // The terms, split at the binary + and - of the chain.
        std::vector<std::pair<std::size_t, std::size_t>> terms{{start, end}};
        std::vector<std::size_t> operators;
        bool ok = true;
        for (;;) {
            const std::size_t op = nextSignificant(items, end - 1);
            if (op == std::string::npos || !isArithmetic(items[op]))
                break;
            const std::size_t after = parseOperand(items, op + 1);
            if (after == std::string::npos) {
                ok = false;
                break;
            }
            if (items[op].isOp("+") || items[op].isOp("-")) {
                operators.push_back(op);
                terms.emplace_back(op + 1, after);
            } else {
                terms.back().second = after;
            }
            end = after;
        }
        i = end;
        if (!ok || operators.empty())
            continue;
        // Left alone where something the chain cannot read stands next to it.
        const std::size_t before = prevSignificant(items, start);
        const std::size_t following = nextSignificant(items, end - 1);
        if ((before != std::string::npos &&
             (items[before].isOp("||") || isArithmetic(items[before]))) ||
            (following != std::string::npos &&
             (items[following].isOp("||") || !items[following].token ||
              items[following].token->kind == TokenKind::String ||
              items[following].token->kind == TokenKind::Number)))
            continue;
        std::size_t firstToken = start;
        while (items[firstToken].trivia())
            ++firstToken;
        std::string prefix;
        for (auto op = operators.rbegin(); op != operators.rend(); ++op)
            prefix += items[*op].isOp("+") ? "bm_plus(" : "bm_minus(";
        edits.before[items[firstToken].first] += prefix;
        for (std::size_t k = 0; k < operators.size(); ++k) {
            edits.replace[items[operators[k]].first] = ",";
            std::size_t last = terms[k + 1].second - 1;
            while (items[last].trivia())
                --last;
            edits.after[items[last].last] += ")";
        }
    }
}

[[noreturn]] void notOffered(const std::string &what) {
    throw AppError(kErrStatementRejected, "Brindlemark embedded engine",
                   what + " is not offered by the embedded engine; an Oracle database runs it.");
}

bool isWord(const Item &item, std::string_view word) {
    return item.token && item.token->is(word);
}

// The text of items first to last (inclusive), as written.
std::string itemText(const std::vector<Token> &tokens, const std::vector<Item> &items,
                     std::size_t first, std::size_t last) {
    std::string text;
    for (std::size_t t = items[first].first; t <= items[last].last; ++t)
        text += tokens[t].text;
    return text;
}

// Row limiting as Oracle writes it, on one query level: OFFSET n ROWS, FETCH FIRST|NEXT n
// ROWS ONLY, and ROWNUM < n, <= n or = 1 as a condition of the WHERE clause. Each becomes
// SQLite's LIMIT … OFFSET … at the end of the level, put before insertAt (a token index).
void rewriteRowLimiting(const std::vector<Token> &tokens, const std::vector<Item> &items,
                        std::size_t insertAt, Insertions &edits) {
    std::string limit, offset;
    const auto drop = [&](std::size_t first, std::size_t last) {
        for (std::size_t t = items[first].first; t <= items[last].last; ++t)
            edits.replace[t] = "";
    };
    bool select = false, ordered = false, grouped = false, combined = false;
    for (std::size_t i = 0; i < items.size(); ++i) {
        select = select || isWord(items[i], "SELECT");
        ordered = ordered || isWord(items[i], "ORDER") || isWord(items[i], "DISTINCT") ||
                  isWord(items[i], "UNIQUE");
        grouped = grouped || isWord(items[i], "GROUP") || isWord(items[i], "HAVING");
        combined = combined || isWord(items[i], "UNION") || isWord(items[i], "INTERSECT") ||
                   isWord(items[i], "EXCEPT") || isWord(items[i], "MINUS");
        if (isWord(items[i], "OFFSET")) {
            const std::size_t value = nextSignificant(items, i);
            const std::size_t rows =
                value == std::string::npos ? value : nextSignificant(items, value);
            if (rows == std::string::npos ||
                !(isWord(items[rows], "ROWS") || isWord(items[rows], "ROW")))
                continue; // SQLite's own OFFSET after a LIMIT
            offset = itemText(tokens, items, value, value);
            drop(i, rows);
        } else if (isWord(items[i], "FETCH")) {
            const std::size_t first = nextSignificant(items, i);
            if (first == std::string::npos ||
                !(isWord(items[first], "FIRST") || isWord(items[first], "NEXT")))
                continue;
            std::size_t k = nextSignificant(items, first);
            std::string count = "1";
            if (k != std::string::npos && !isWord(items[k], "ROW") && !isWord(items[k], "ROWS")) {
                count = itemText(tokens, items, k, k);
                k = nextSignificant(items, k);
            }
            if (k != std::string::npos && isWord(items[k], "PERCENT"))
                notOffered("FETCH FIRST … PERCENT");
            const std::size_t only = k == std::string::npos ? k : nextSignificant(items, k);
            if (only != std::string::npos && isWord(items[only], "WITH"))
                notOffered("FETCH FIRST … WITH TIES");
            if (only == std::string::npos || !isWord(items[only], "ONLY"))
                continue;
            limit = count;
            drop(i, only);
        }
    }
    // ROWNUM in the WHERE clause: a condition joined to the others by AND.
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (!isWord(items[i], "ROWNUM"))
            continue;
        const std::size_t op = nextSignificant(items, i);
        const std::size_t value = op == std::string::npos ? op : nextSignificant(items, op);
        const bool comparison =
            op != std::string::npos && value != std::string::npos &&
            (items[op].isOp("<") || items[op].isOp("<=") || items[op].isOp("=")) &&
            items[value].token && items[value].token->kind == TokenKind::Number;
        const std::size_t before = prevSignificant(items, i);
        const std::size_t after = nextSignificant(items, value == std::string::npos ? i : value);
        const bool inWhere = before != std::string::npos &&
                             (isWord(items[before], "WHERE") || isWord(items[before], "AND"));
        const bool joinedByAnd = after == std::string::npos || isWord(items[after], "AND") ||
                                 items[after].isOp(";") || isWord(items[after], "ORDER") ||
                                 isWord(items[after], "GROUP");
        if (!comparison || !inWhere || !joinedByAnd)
            notOffered("ROWNUM other than as ROWNUM < n, ROWNUM <= n or ROWNUM = 1 in a WHERE "
                       "clause");
        for (std::size_t k = 0; k < items.size(); ++k)
            if (isWord(items[k], "OR"))
                notOffered("ROWNUM in a WHERE clause with OR");
        // Oracle numbers the rows before it sorts, groups or counts them; LIMIT comes after.
        if (ordered || grouped || combined)
            notOffered("ROWNUM in a query that also sorts, groups or combines its rows (put "
                       "that query in an inline view and limit the outer one)");
        for (const Item &item : items)
            if (item.token &&
                (item.token->is("COUNT") || item.token->is("SUM") || item.token->is("AVG") ||
                 item.token->is("MIN") || item.token->is("MAX")))
                notOffered("ROWNUM in a query that aggregates its rows");
        const long long n = std::stoll(items[value].token->text);
        const long long rows = items[op].isOp("<")    ? std::max(0LL, n - 1)
                               : items[op].isOp("<=") ? std::max(0LL, n)
                               : n == 1               ? 1
                                                      : 0;
        limit = std::to_string(rows);
        if (isWord(items[before], "WHERE")) {
            if (after != std::string::npos && isWord(items[after], "AND"))
                drop(i, after); // WHERE ROWNUM <= n AND …
            else
                drop(before, value); // WHERE ROWNUM <= n alone
        } else {
            drop(before, value); // … AND ROWNUM <= n
        }
    }
    if (limit.empty() && offset.empty())
        return;
    if (!select)
        return;
    edits.before[insertAt] += " LIMIT " + (limit.empty() ? std::string("-1") : limit) +
                              (offset.empty() ? std::string() : " OFFSET " + offset) + " ";
}

bool isAggregateName(const Token &t) {
    for (const char *name :
         {"COUNT", "SUM", "AVG", "MIN", "MAX", "STDDEV", "VARIANCE", "MEDIAN", "LISTAGG"})
        if (t.is(name))
            return true;
    return false;
}

std::string normalised(const std::vector<Token> &tokens, std::size_t first, std::size_t last) {
    std::string text;
    for (std::size_t t = first; t <= last && t < tokens.size(); ++t)
        if (!tokens[t].isTrivia())
            text += upperAscii(tokens[t].text);
    return text;
}

// Oracle refuses a query that mixes aggregates with columns that are not grouped: without
// GROUP BY, ORA-00937; with it, ORA-00979. SQLite would answer with some row's values. Only
// plain tables in FROM are looked at, so that a column is known for a column.
void checkGrouping(const std::vector<Token> &tokens, const std::vector<Item> &items,
                   const DialectContext &context) {
    std::size_t select = std::string::npos, from = std::string::npos, group = std::string::npos;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (select == std::string::npos && isWord(items[i], "SELECT"))
            select = i;
        else if (select != std::string::npos && from == std::string::npos &&
                 isWord(items[i], "FROM"))
            from = i;
        else if (from != std::string::npos && isWord(items[i], "GROUP"))
            group = i;
        else if (isWord(items[i], "UNION") || isWord(items[i], "INTERSECT") ||
                 isWord(items[i], "EXCEPT") || isWord(items[i], "MINUS") ||
                 isWord(items[i], "CONNECT"))
            return;
    }
    if (select == std::string::npos || from == std::string::npos || !context.columnsOf)
        return;
    // Nothing to check, and no schema to read, without an aggregate in the select list.
    bool aggregates = false;
    for (std::size_t t = items[select].first; t < items[from].first && !aggregates; ++t)
        aggregates = tokens[t].kind == TokenKind::Word && isAggregateName(tokens[t]);
    if (!aggregates)
        return;
    // The tables of FROM: name [alias], separated by commas; anything else and nothing is said.
    std::vector<std::string> columns;
    for (std::size_t i = nextSignificant(items, from); i != std::string::npos;) {
        if (isWord(items[i], "WHERE") || isWord(items[i], "GROUP") || isWord(items[i], "ORDER") ||
            isWord(items[i], "HAVING") || items[i].isOp(";"))
            break;
        if (!items[i].isName() || isWord(items[i], "JOIN"))
            return;
        std::string table = items[i].token->text;
        std::size_t next = nextSignificant(items, i);
        if (next != std::string::npos && items[next].isOp(".")) {
            const std::size_t name = nextSignificant(items, next);
            if (name == std::string::npos || !items[name].isName())
                return;
            table += "." + items[name].token->text;
            next = nextSignificant(items, name);
        }
        if (next != std::string::npos && items[next].isName() && !isWord(items[next], "JOIN"))
            next = nextSignificant(items, next); // an alias
        for (const std::string &column : context.columnsOf(table))
            columns.push_back(upperAscii(column));
        if (next == std::string::npos || !items[next].isOp(","))
            break;
        i = nextSignificant(items, next);
    }
    if (columns.empty())
        return;
    const auto isColumn = [&](const std::string &name) {
        return std::find(columns.begin(), columns.end(), upperAscii(name)) != columns.end();
    };
    // GROUP BY's expressions, and the plain columns among them.
    std::vector<std::string> groupExpressions, groupColumns;
    if (group != std::string::npos) {
        const std::size_t by = nextSignificant(items, group);
        std::size_t start = by == std::string::npos ? by : nextSignificant(items, by);
        for (std::size_t i = start; i != std::string::npos; i = nextSignificant(items, i)) {
            const bool end =
                isWord(items[i], "HAVING") || isWord(items[i], "ORDER") || items[i].isOp(";");
            if (end || items[i].isOp(",")) {
                std::size_t last = prevSignificant(items, i);
                groupExpressions.push_back(
                    normalised(tokens, items[start].first, items[last].last));
                const std::string &text = groupExpressions.back();
                const std::size_t dot = text.rfind('.');
                groupColumns.push_back(dot == std::string::npos ? text : text.substr(dot + 1));
                if (end)
                    break;
                start = nextSignificant(items, i);
                if (start == std::string::npos)
                    break;
            }
            if (nextSignificant(items, i) == std::string::npos && !end && !items[i].isOp(",")) {
                groupExpressions.push_back(normalised(tokens, items[start].first, items[i].last));
                const std::string &text = groupExpressions.back();
                const std::size_t dot = text.rfind('.');
                groupColumns.push_back(dot == std::string::npos ? text : text.substr(dot + 1));
            }
        }
    }
    // The select list, item by item: aggregates, and the columns outside them.
    bool anyAggregate = false;
    std::vector<std::string> loose; // columns outside aggregates, of items not grouped whole
    std::size_t itemStart = nextSignificant(items, select);
    if (itemStart != std::string::npos &&
        (isWord(items[itemStart], "DISTINCT") || isWord(items[itemStart], "UNIQUE") ||
         isWord(items[itemStart], "ALL")))
        itemStart = nextSignificant(items, itemStart);
    for (std::size_t i = itemStart; i != std::string::npos && i <= from;) {
        std::size_t end = i;
        while (end < from && !items[end].isOp(","))
            ++end;
        std::size_t last = prevSignificant(items, end);
        // An alias at the end is no column.
        const std::size_t beforeLast = prevSignificant(items, last);
        if (last != i && items[last].isName() && beforeLast != std::string::npos &&
            beforeLast >= i && !items[beforeLast].isOp("."))
            last =
                isWord(items[beforeLast], "AS") ? prevSignificant(items, beforeLast) : beforeLast;
        const std::size_t firstToken = items[i].first, lastToken = items[last].last;
        const std::string whole = normalised(tokens, firstToken, lastToken);
        std::vector<std::string> columnsHere;
        int aggregateDepth = 0;
        std::vector<int> closeAt; // parenthesis depths at which an aggregate call ends
        int depth = 0;
        for (std::size_t t = firstToken; t <= lastToken; ++t) {
            const Token &tok = tokens[t];
            if (tok.isOp("(")) {
                ++depth;
            } else if (tok.isOp(")")) {
                if (!closeAt.empty() && closeAt.back() == depth) {
                    closeAt.pop_back();
                    --aggregateDepth;
                }
                --depth;
            } else if (tok.is("SELECT")) {
                return; // a subquery: its columns are its own
            } else if (tok.kind == TokenKind::Word && isAggregateName(tok)) {
                std::size_t next = t + 1;
                while (next < tokens.size() && tokens[next].isTrivia())
                    ++next;
                if (next < tokens.size() && tokens[next].isOp("(")) {
                    anyAggregate = true;
                    ++aggregateDepth;
                    closeAt.push_back(depth + 1);
                }
            } else if (aggregateDepth == 0 && tok.kind == TokenKind::Word && isColumn(tok.text)) {
                std::size_t prev = t;
                while (prev > firstToken && tokens[prev - 1].isTrivia())
                    --prev;
                if (prev > firstToken && tokens[prev - 1].is("AS"))
                    continue; // a type name in CAST
                columnsHere.push_back(upperAscii(tok.text));
            }
        }
        const bool groupedWhole = std::find(groupExpressions.begin(), groupExpressions.end(),
                                            whole) != groupExpressions.end();
        if (!groupedWhole)
            for (const std::string &column : columnsHere)
                if (std::find(groupColumns.begin(), groupColumns.end(), column) ==
                    groupColumns.end())
                    loose.push_back(column);
        if (end >= from)
            break;
        i = nextSignificant(items, end);
    }
    if (loose.empty())
        return;
    if (group != std::string::npos)
        throw AppError(kErrStatementRejected, "Brindlemark embedded engine",
                       "ORA-00979: not a GROUP BY expression");
    if (anyAggregate)
        throw AppError(kErrStatementRejected, "Brindlemark embedded engine",
                       "ORA-00937: not a single-group group function");
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
static void rewriteTrim(std::vector<Token> &tokens) {
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        if (!tokens[i].is("TRIM"))
            continue;
        std::size_t open = i + 1;
        while (open < tokens.size() && tokens[open].isTrivia())
            ++open;
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

bool isPlSql(const std::vector<Token> &tokens) {
    std::vector<const Token *> words;
    for (const Token &t : tokens) {
        if (t.isTrivia())
            continue;
        if (t.kind != TokenKind::Word || words.size() == 4)
            break;
        words.push_back(&t);
    }
    if (words.empty())
        return false;
    if (words[0]->is("BEGIN")) {
        // BEGIN [DEFERRED | IMMEDIATE | EXCLUSIVE] [TRANSACTION] starts a transaction here.
        bool transaction = true;
        bool first = true;
        for (const Token &t : tokens) {
            if (t.isTrivia() || t.isOp(";"))
                continue;
            if (first) {
                first = false;
                continue;
            }
            transaction = transaction && (t.is("DEFERRED") || t.is("IMMEDIATE") ||
                                          t.is("EXCLUSIVE") || t.is("TRANSACTION"));
        }
        return !transaction;
    }
    if (words[0]->is("DECLARE"))
        return true;
    if (!words[0]->is("CREATE"))
        return false;
    std::size_t k = 1;
    if (k + 1 < words.size() && words[k]->is("OR") && words[k + 1]->is("REPLACE"))
        k += 2;
    if (k < words.size() && (words[k]->is("EDITIONABLE") || words[k]->is("NONEDITIONABLE")))
        ++k;
    if (k >= words.size())
        return false;
    for (const char *kind : {"PROCEDURE", "FUNCTION", "PACKAGE", "TRIGGER", "TYPE"})
        if (words[k]->is(kind))
            return true;
    return false;
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
        } else if (!qualified && !call && t.is("SYSDATE")) {
            t = {TokenKind::Word, "datetime('now','localtime')"};
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

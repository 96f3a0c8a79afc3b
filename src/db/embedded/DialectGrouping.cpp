// Oracle's rule for aggregates and grouped columns, checked on one level of a statement.

#include "db/embedded/DialectLevels.h"

#include "sql/AppError.h"

#include <algorithm>

namespace bm::db::dialect {

namespace {

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

} // namespace

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

} // namespace bm::db::dialect

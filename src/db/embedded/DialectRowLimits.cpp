// Oracle's row limiting on one level of a statement.

#include "db/embedded/DialectLevels.h"

#include <algorithm>

namespace bm::db::dialect {

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
    const auto aggregated = [&] {
        return std::any_of(items.begin(), items.end(), [](const Item &item) {
            return item.token &&
                   (item.token->is("COUNT") || item.token->is("SUM") || item.token->is("AVG") ||
                    item.token->is("MIN") || item.token->is("MAX"));
        });
    };
    // ROWNUM in the WHERE clause: a condition joined to the others by AND.
    std::size_t selectAt = std::string::npos, fromAt = std::string::npos;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (isWord(items[i], "SELECT"))
            selectAt = i;
        else if (isWord(items[i], "FROM") && fromAt == std::string::npos)
            fromAt = i;
        if (!isWord(items[i], "ROWNUM"))
            continue;
        // In the select list ROWNUM numbers the rows that pass the WHERE clause in the order
        // they are found, before any sorting, as a window over no order does.
        if (selectAt != std::string::npos && i > selectAt && fromAt == std::string::npos) {
            if (grouped || aggregated() ||
                std::any_of(items.begin(), items.end(),
                            [](const Item &item) { return isWord(item, "CONNECT"); }))
                notOffered("ROWNUM as a column of a query that groups its rows or is "
                           "hierarchical");
            edits.replace[items[i].first] = "row_number() OVER ()";
            continue;
        }
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
        if (aggregated())
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

} // namespace bm::db::dialect

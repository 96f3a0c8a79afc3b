// Oracle's outer-join operator: "FROM a, b WHERE a.x = b.y(+)" becomes
// "FROM a LEFT JOIN b ON a.x = b.y", each query level on its own.

#include "db/embedded/DialectLevels.h"
#include "sql/AppError.h"

#include <algorithm>
#include <set>

namespace bm::db::dialect {

namespace {

[[noreturn]] void oracleError(const std::string &message) {
    throw AppError(kErrStatementRejected, "Brindlemark embedded engine", message);
}

// The position of the next "(+)" from i: its "(" and its ")".
bool findMarker(const std::vector<Token> &t, std::size_t from, std::size_t &open,
                std::size_t &close) {
    for (std::size_t i = from; i < t.size(); ++i) {
        if (!t[i].isOp("("))
            continue;
        const std::size_t plus = significantFrom(t, i + 1);
        if (plus < t.size() && t[plus].isOp("+")) {
            const std::size_t end = significantFrom(t, plus + 1);
            if (end < t.size() && t[end].isOp(")")) {
                open = i;
                close = end;
                return true;
            }
        }
    }
    return false;
}

struct TableEntry {
    std::string text;  // as written: name [alias]
    std::string name;  // the name other clauses use for it (its alias, else its name)
    std::string table; // the table or view
    std::vector<std::string> conditions;
    bool outer = false;
};

std::string trimmed(const std::string &text) {
    const auto a = text.find_first_not_of(" \t\r\n");
    if (a == std::string::npos)
        return {};
    return text.substr(a, text.find_last_not_of(" \t\r\n") - a + 1);
}

std::string nameOf(const Token &t) {
    return upperAscii(unquote(t));
}

} // namespace

void rewriteOuterJoins(std::vector<Token> &t, const DialectContext *context) {
    std::size_t open = 0, close = 0;
    while (findMarker(t, 0, open, close)) {
        // The query level the marker belongs to: from the "(" that encloses it (or the start)
        // to its ")" (or the end).
        std::size_t begin = 0, end = t.size();
        int depth = 0;
        for (std::size_t i = open; i-- > 0;) {
            if (t[i].isOp(")"))
                ++depth;
            else if (t[i].isOp("(") && depth-- == 0) {
                begin = i + 1;
                break;
            }
        }
        depth = 0;
        for (std::size_t i = close + 1; i < t.size(); ++i) {
            if (t[i].isOp("("))
                ++depth;
            else if (t[i].isOp(")") && depth-- == 0) {
                end = i;
                break;
            }
        }
        // The level's clauses.
        std::size_t from = end, where = end, whereEnd = end;
        depth = 0;
        for (std::size_t i = begin; i < end; ++i) {
            if (t[i].isOp("("))
                ++depth;
            else if (t[i].isOp(")"))
                --depth;
            if (depth != 0 || t[i].kind != TokenKind::Word)
                continue;
            if (t[i].is("FROM") && from == end)
                from = i;
            else if (t[i].is("WHERE") && where == end)
                where = i;
            else if (where != end && whereEnd == end &&
                     (t[i].is("GROUP") || t[i].is("ORDER") || t[i].is("HAVING") ||
                      t[i].is("CONNECT") || t[i].is("START") || t[i].is("UNION") ||
                      t[i].is("INTERSECT") || t[i].is("MINUS") || t[i].is("EXCEPT") ||
                      t[i].is("FETCH") || t[i].is("OFFSET")))
                whereEnd = i;
            else if (t[i].is("JOIN"))
                oracleError("ORA-25156: old style outer join (+) cannot be used with ANSI joins");
        }
        if (whereEnd == end)
            while (whereEnd > where && (t[whereEnd - 1].isTrivia() || t[whereEnd - 1].isOp(";")))
                --whereEnd;
        if (from == end || where == end || open < where || open > whereEnd)
            oracleError("ORA-00936: missing expression (the outer-join operator (+) belongs in "
                        "the WHERE clause of a query)");

        // FROM: table [alias], …
        std::vector<TableEntry> tables(1);
        depth = 0;
        std::vector<const Token *> words;
        const auto finish = [&] {
            TableEntry &e = tables.back();
            e.text = trimmed(e.text);
            if (words.empty() || words.size() > 3 || (words.size() == 3 && !words[1]->is("AS")))
                oracleError("The embedded engine offers the outer-join operator (+) over tables "
                            "and views named in the FROM clause only.");
            e.table = words[0]->text;
            e.name = nameOf(*words.back());
            words.clear();
        };
        for (std::size_t i = from + 1; i < where; ++i) {
            if (t[i].isOp("("))
                ++depth;
            else if (t[i].isOp(")"))
                --depth;
            if (depth == 0 && t[i].isOp(",")) {
                finish();
                tables.emplace_back();
                continue;
            }
            tables.back().text += t[i].text;
            if (!t[i].isTrivia())
                words.push_back(&t[i]);
        }
        finish();
        // Names of the level's tables, and the one a column belongs to.
        const auto tableNamed = [&](const std::string &name) -> TableEntry * {
            for (TableEntry &e : tables)
                if (e.name == name)
                    return &e;
            return nullptr;
        };
        const auto tableWithColumn = [&](const std::string &column) -> TableEntry * {
            TableEntry *found = nullptr;
            for (TableEntry &e : tables) {
                if (!context || !context->columnsOf)
                    break;
                for (const std::string &c : context->columnsOf(e.table))
                    if (upperAscii(c) == column) {
                        if (found)
                            oracleError("ORA-00918: column ambiguously defined");
                        found = &e;
                    }
            }
            return found;
        };

        // WHERE: conditions joined by AND; those with (+) go to the outer table's ON.
        std::vector<std::pair<std::size_t, std::size_t>> conjuncts;
        std::size_t start = where + 1;
        depth = 0;
        bool between = false;
        for (std::size_t i = where + 1; i <= whereEnd; ++i) {
            if (i < whereEnd) {
                if (t[i].isOp("(") || t[i].is("CASE"))
                    ++depth;
                else if (t[i].isOp(")") || t[i].is("END"))
                    --depth;
                if (depth == 0 && t[i].is("OR"))
                    oracleError("ORA-01719: outer join operator (+) not allowed in operand of OR "
                                "or IN");
                if (depth == 0 && t[i].is("BETWEEN"))
                    between = true;
                if (depth != 0 || !t[i].is("AND"))
                    continue;
                if (between) { // the AND of BETWEEN … AND …
                    between = false;
                    continue;
                }
            }
            conjuncts.emplace_back(start, i);
            start = i + 1;
        }
        std::string remaining;
        for (const auto &[a, b] : conjuncts) {
            std::string text;
            TableEntry *outer = nullptr;
            for (std::size_t i = a; i < b; ++i) {
                std::size_t markOpen = 0, markClose = 0;
                if (t[i].isOp("(") && findMarker(t, i, markOpen, markClose) && markOpen == i &&
                    markClose < b) {
                    // The column before the marker names the outer-joined table.
                    std::size_t col = i;
                    while (col > a && t[col - 1].isTrivia())
                        --col;
                    TableEntry *table = nullptr;
                    if (col > a) {
                        const Token &column = t[col - 1];
                        const bool qualified = col - 1 > a + 1 && t[col - 2].isOp(".");
                        table = qualified ? tableNamed(nameOf(t[col - 3]))
                                          : tableWithColumn(nameOf(column));
                    }
                    if (!table)
                        oracleError("ORA-00904: the column before (+) is not a column of a table "
                                    "in the FROM clause");
                    if (outer && outer != table)
                        oracleError("ORA-01468: a predicate may reference only one outer-joined "
                                    "table");
                    outer = table;
                    i = markClose;
                    continue;
                }
                text += t[i].text;
            }
            if (outer) {
                outer->outer = true;
                outer->conditions.push_back(trimmed(text));
            } else {
                remaining += (remaining.empty() ? "" : " AND ") + trimmed(text);
            }
        }
        // Inner tables first, then each outer one once every table its conditions name is
        // joined before it.
        std::string fromText;
        std::set<std::string> joined;
        for (const TableEntry &e : tables)
            if (!e.outer) {
                fromText += (fromText.empty() ? "" : ", ") + e.text;
                joined.insert(e.name);
            }
        if (fromText.empty())
            oracleError("ORA-01416: two tables cannot be outer-joined to each other");
        std::vector<const TableEntry *> waiting;
        for (const TableEntry &e : tables)
            if (e.outer)
                waiting.push_back(&e);
        while (!waiting.empty()) {
            auto ready = std::find_if(waiting.begin(), waiting.end(), [&](const TableEntry *e) {
                for (const std::string &condition : e->conditions)
                    for (const TableEntry &other : tables)
                        if (&other != e && !joined.count(other.name) &&
                            upperAscii(condition).find(other.name + ".") != std::string::npos)
                            return false;
                return true;
            });
            if (ready == waiting.end())
                oracleError("ORA-01416: two tables cannot be outer-joined to each other");
            std::string on;
            for (const std::string &condition : (*ready)->conditions)
                on += (on.empty() ? "(" : " AND (") + condition + ")";
            fromText += " LEFT JOIN " + (*ready)->text + " ON " + on;
            joined.insert((*ready)->name);
            waiting.erase(ready);
        }
        std::string rebuilt = " " + fromText + (remaining.empty() ? "" : " WHERE " + remaining) +
                              (whereEnd < t.size() && !t[whereEnd].isOp(")") ? " " : "");
        std::vector<Token> replacement = tokenize(rebuilt);
        t.erase(t.begin() + static_cast<std::ptrdiff_t>(from + 1),
                t.begin() + static_cast<std::ptrdiff_t>(whereEnd));
        t.insert(t.begin() + static_cast<std::ptrdiff_t>(from + 1), replacement.begin(),
                 replacement.end());
    }
}

} // namespace bm::db::dialect

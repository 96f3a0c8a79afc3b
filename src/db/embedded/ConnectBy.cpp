#include "db/embedded/ConnectBy.h"

#include "sql/AppError.h"

namespace bm::db {

namespace {

constexpr const char *kSource = "Brindlemark embedded engine";

[[noreturn]] void unsupported(const std::string &what) {
    throw AppError(kErrStatementRejected, kSource,
                   what + " is not supported by the embedded engine's hierarchical queries");
}

struct Clauses {
    std::size_t select = 0, from = 0, where = 0, start = 0, connect = 0, order = 0;
    bool nocycle = false, siblings = false;
};

// Significant token positions at parenthesis depth 0.
std::vector<std::size_t> topLevel(const std::vector<Token> &t) {
    std::vector<std::size_t> at;
    int depth = 0;
    for (std::size_t i = 0; i < t.size(); ++i) {
        if (t[i].isOp("("))
            ++depth;
        else if (t[i].isOp(")"))
            --depth;
        else if (depth == 0 && !t[i].isTrivia())
            at.push_back(i);
    }
    return at;
}

std::string trimmed(const std::string &text) {
    const auto a = text.find_first_not_of(" \t\r\n");
    if (a == std::string::npos)
        return {};
    const auto b = text.find_last_not_of(" \t\r\n");
    return text.substr(a, b - a + 1);
}

// The ")" that closes the group opened at t[open], or `end` when it is not closed before it.
std::size_t groupClose(const std::vector<Token> &t, std::size_t open, std::size_t end) {
    int depth = 0;
    for (std::size_t i = open; i < end; ++i) {
        if (t[i].isOp("("))
            ++depth;
        else if (t[i].isOp(")") && --depth == 0)
            return i;
    }
    return end;
}

// The last token of the operand starting at t[first]: a parenthesised group or a name with its
// qualifiers (e.alias.column).
std::size_t operandLast(const std::vector<Token> &t, std::size_t first, std::size_t end) {
    if (t[first].isOp("("))
        return groupClose(t, first, end);
    std::size_t last = first;
    while (last + 2 < end && t[last + 1].isOp(".") && t[last + 2].kind != TokenKind::Operator)
        last += 2;
    return last;
}

// Values each row of the hierarchy carries down from its root or its parent, as columns of the
// recursive expression: what a root row holds, and what a child holds given its parent's.
struct Carried {
    std::vector<std::string> atRoot, belowParent;
    bool leaf = false;

    std::string add(std::string root, std::string below) {
        atRoot.push_back(std::move(root));
        belowParent.push_back(std::move(below));
        return "__bm_h.__bm_carry_" + std::to_string(atRoot.size());
    }
    std::string nextColumn() const {
        return "__bm_h.__bm_carry_" + std::to_string(atRoot.size() + 1);
    }
};

// The text of the term at t[i], up to `to`, with LEVEL, CONNECT_BY_ISLEAF, CONNECT_BY_ROOT x
// and SYS_CONNECT_BY_PATH(x, separator) read from the hierarchy's own columns; i is left on
// the term's last token.
std::string hierarchyTerm(const std::vector<Token> &t, std::size_t &i, std::size_t to,
                          Carried &carried) {
    const bool qualified = i > 0 && t[i - 1].isOp(".");
    if (qualified || t[i].kind != TokenKind::Word)
        return t[i].text;
    if (t[i].is("LEVEL"))
        return "__bm_h.__bm_level";
    if (t[i].is("CONNECT_BY_ISLEAF")) {
        carried.leaf = true;
        return "__bm_h.__bm_leaf";
    }
    if (t[i].is("CONNECT_BY_ROOT")) {
        const std::size_t first = significantFrom(t, i + 1);
        if (first >= to)
            throw AppError(kErrStatementRejected, kSource, "ORA-00936: missing expression");
        const std::size_t last = operandLast(t, first, to);
        i = last;
        return carried.add(joinTokens(t, first, last + 1), carried.nextColumn());
    }
    if (t[i].is("SYS_CONNECT_BY_PATH")) {
        const std::size_t open = significantFrom(t, i + 1);
        const std::size_t close = open < to && t[open].isOp("(") ? groupClose(t, open, to) : to;
        std::size_t comma = close;
        for (std::size_t k = open + 1, depth = 0; k < close && comma == close; ++k) {
            if (t[k].isOp("("))
                ++depth;
            else if (t[k].isOp(")"))
                --depth;
            else if (depth == 0 && t[k].isOp(","))
                comma = k;
        }
        if (close >= to || comma == close)
            throw AppError(kErrStatementRejected, kSource,
                           "ORA-00909: invalid number of arguments");
        // A null value still adds its separator, as Oracle's path does.
        const std::string step = " || (" + joinTokens(t, comma + 1, close) + ") || coalesce((" +
                                 joinTokens(t, open + 1, comma) + "), '')";
        i = close;
        return carried.add("''" + step, carried.nextColumn() + step);
    }
    return t[i].text;
}

std::string hierarchyText(const std::vector<Token> &t, std::size_t from, std::size_t to,
                          Carried &carried) {
    std::string out;
    for (std::size_t i = from; i < to; ++i)
        out += hierarchyTerm(t, i, to, carried);
    return out;
}

} // namespace

std::string translateHierarchicalQuery(const std::string &sql, const DialectContext &context) {
    const std::vector<Token> t = tokenize(sql);
    for (const Token &token : t)
        if (token.is("CONNECT_BY_ISCYCLE"))
            unsupported("CONNECT_BY_ISCYCLE");
    const std::vector<std::size_t> top = topLevel(t);
    Clauses c;
    c.select = c.from = c.where = c.start = c.connect = c.order = t.size();
    for (std::size_t k = 0; k < top.size(); ++k) {
        const Token &w = t[top[k]];
        const bool by = k + 1 < top.size() && t[top[k + 1]].is("BY");
        const bool with = k + 1 < top.size() && t[top[k + 1]].is("WITH");
        if (k == 0 && w.is("SELECT"))
            c.select = top[k];
        else if (w.is("FROM") && c.from == t.size())
            c.from = top[k];
        else if (w.is("WHERE"))
            c.where = top[k];
        else if (w.is("START") && with)
            c.start = top[k];
        else if (w.is("CONNECT") && by)
            c.connect = top[k];
        else if (w.is("ORDER") && by)
            c.order = top[k];
        else if (w.is("ORDER") && k + 2 < top.size() && t[top[k + 1]].is("SIBLINGS") &&
                 t[top[k + 2]].is("BY")) {
            c.order = top[k];
            c.siblings = true;
        } else if ((w.is("GROUP") && by) || w.is("HAVING") || w.is("UNION") || w.is("INTERSECT") ||
                   w.is("MINUS") || w.is("EXCEPT"))
            unsupported(upperAscii(w.text) + " in a hierarchical query");
    }
    if (c.select == t.size() || c.from == t.size() || c.connect == t.size())
        unsupported("CONNECT BY outside a plain SELECT or inside a subquery");

    // The clause that follows position p: the next clause start after it.
    auto clauseEnd = [&](std::size_t p) {
        std::size_t end = t.size();
        for (std::size_t s : {c.from, c.where, c.start, c.connect, c.order})
            if (s > p && s < end)
                end = s;
        return end;
    };
    auto sig = [&](std::size_t i) { return significantFrom(t, i); };

    // FROM: one table or view, with an optional alias.
    std::vector<const Token *> from;
    for (std::size_t i = c.from + 1; i < clauseEnd(c.from); ++i)
        if (!t[i].isTrivia())
            from.push_back(&t[i]);
    if (from.empty() || from.size() > 3 || (from.size() == 3 && !from[1]->is("AS")) ||
        from[0]->kind == TokenKind::Operator)
        unsupported("CONNECT BY over a join or a subquery");
    for (const Token *f : from)
        if (f->kind == TokenKind::Operator || f->is("JOIN"))
            unsupported("CONNECT BY over a join or a subquery");
    const std::string table = from[0]->text;
    const std::string alias = from.size() > 1 ? from.back()->text : table;

    // CONNECT BY [NOCYCLE] condition, with each PRIOR expression carried by the hierarchy.
    std::size_t connectStart = sig(sig(c.connect + 1) + 1);
    if (connectStart < t.size() && t[connectStart].is("NOCYCLE")) {
        c.nocycle = true;
        connectStart = connectStart + 1;
    }
    std::vector<std::string> priors;
    std::string connect;
    const std::size_t connectEnd = clauseEnd(c.connect);
    for (std::size_t i = connectStart; i < connectEnd; ++i) {
        if (!t[i].is("PRIOR")) {
            connect += t[i].is("LEVEL") ? "(__bm_h.__bm_level + 1)" : t[i].text;
            continue;
        }
        std::size_t j = sig(i + 1);
        std::size_t last = j;
        if (j < connectEnd && t[j].isOp("(")) {
            int depth = 0;
            for (last = j; last < connectEnd; ++last) {
                if (t[last].isOp("("))
                    ++depth;
                else if (t[last].isOp(")") && --depth == 0)
                    break;
            }
        } else {
            while (last + 2 < connectEnd && t[last + 1].isOp(".") &&
                   t[last + 2].kind != TokenKind::Operator)
                last += 2;
        }
        if (j >= connectEnd)
            unsupported("PRIOR without an expression");
        priors.push_back(joinTokens(t, j, last + 1));
        connect += "__bm_h.__bm_prior_" + std::to_string(priors.size());
        i = last;
    }
    // Without PRIOR, CONNECT BY LEVEL <= n over DUAL generates n rows; over a table it would
    // join every row to every row at each level.
    const bool generator = priors.empty();
    if (generator && !(upperAscii(table) == "DUAL" || upperAscii(table) == "SYS.DUAL"))
        unsupported("CONNECT BY without PRIOR over a table other than DUAL");
    const std::string start =
        c.start == t.size() ? "1"
                            : trimmed(joinTokens(t, sig(sig(c.start + 1) + 1), clauseEnd(c.start)));

    Carried carried;
    // The select list, with * spelled out so that the engine's own columns stay hidden.
    std::string select;
    for (std::size_t i = c.select + 1; i < c.from; ++i) {
        const bool star = t[i].isOp("*");
        const bool afterDot = star && t[i - 1].isOp(".");
        // t.* needs a name before its dot, already copied into the list as "t.".
        const std::size_t p = i - 2;
        const bool qualifiedStar =
            afterDot && p > c.select &&
            (t[p].kind == TokenKind::Word || t[p].kind == TokenKind::QuotedName) &&
            select.size() > t[p].text.size() && select.ends_with(t[p].text + ".");
        if (afterDot && !qualifiedStar)
            throw AppError(kErrStatementRejected, kSource, "ORA-00936: missing expression");
        std::size_t before = i;
        while (before > c.select + 1 && t[before - 1].isTrivia())
            --before;
        const bool listStar = star && (before == c.select + 1 || t[before - 1].isOp(","));
        if (listStar || qualifiedStar) {
            if (qualifiedStar)
                select.erase(select.size() - t[p].text.size() - 1);
            std::string list;
            for (const std::string &column : context.columnsOf(table))
                list += (list.empty() ? "" : ", ") + alias + "." + quoteName(column);
            select += list;
        } else {
            select += hierarchyTerm(t, i, c.from, carried);
        }
    }

    const std::string where =
        c.where == t.size()
            ? std::string()
            : " WHERE (" +
                  trimmed(hierarchyText(t, sig(c.where + 1), clauseEnd(c.where), carried)) + ")";
    // ORDER SIBLINGS BY numbers the rows in that order, so that the path orders the children of
    // each row by it while keeping the hierarchy's depth-first order.
    std::string siblingOrder, order;
    if (c.siblings) {
        std::size_t end = t.size();
        while (end > c.order && (t[end - 1].isTrivia() || t[end - 1].isOp(";")))
            --end;
        const std::size_t by = sig(sig(c.order + 1) + 1);
        siblingOrder = rewriteLevels(tokenize("ORDER BY " + joinTokens(t, by + 1, end)), nullptr);
    } else if (c.order != t.size()) {
        order = " " + trimmed(hierarchyText(t, c.order, t.size(), carried));
    }
    // The hierarchy's own order: a row's path is its ancestors' numbers and its own.
    const std::string depthFirst = generator ? "__bm_h.__bm_level" : "__bm_h.__bm_path";
    if (order.empty())
        order = " ORDER BY " + depthFirst;

    const std::string rn = alias + ".__bm_rn";
    const std::string step = generator ? std::string("''") : "printf('/%010d', " + rn + ")";
    std::string columns, rootValues, childValues;
    for (std::size_t k = 0; k < priors.size(); ++k) {
        columns += ", __bm_prior_" + std::to_string(k + 1);
        rootValues += ", " + priors[k];
    }
    childValues = rootValues;
    for (std::size_t k = 0; k < carried.atRoot.size(); ++k) {
        columns += ", __bm_carry_" + std::to_string(k + 1);
        rootValues += ", " + carried.atRoot[k];
        childValues += ", " + carried.belowParent[k];
    }
    const std::string fresh = "instr(__bm_h.__bm_path, " + step + ") = 0";
    const std::string cycle = generator ? std::string("1")
                              : c.nocycle
                                  ? fresh
                                  : "CASE WHEN " + fresh + " THEN 1 ELSE BM_CONNECT_BY_LOOP() END";
    // A row is a leaf when the next row in depth-first order is not one of its children.
    const std::string leaves =
        !carried.leaf ? std::string()
        : generator
            ? ", __bm_hl AS (SELECT *, CASE WHEN lead(__bm_level) OVER (ORDER BY __bm_level) IS "
              "NULL THEN 1 ELSE 0 END AS __bm_leaf FROM __bm_h)"
            : ", __bm_hl AS (SELECT *, CASE WHEN substr(lead(__bm_path) OVER (ORDER BY "
              "__bm_path), 1, length(__bm_path)) = __bm_path THEN 0 ELSE 1 END AS __bm_leaf "
              "FROM __bm_h)";

    return "WITH RECURSIVE __bm_base AS MATERIALIZED (SELECT row_number() OVER (" + siblingOrder +
           ") AS __bm_rn, * FROM " + table + " AS " + alias + "), __bm_h(__bm_rn, __bm_level, " +
           "__bm_path" + columns + ") AS (SELECT " + rn + ", 1, " + step + rootValues +
           " FROM __bm_base AS " + alias + " WHERE (" + start + ") UNION ALL SELECT " + rn +
           ", __bm_h.__bm_level + 1, __bm_h.__bm_path || " + step + childValues +
           " FROM __bm_h JOIN __bm_base AS " + alias + " ON CASE WHEN (" + trimmed(connect) +
           ") THEN " + cycle + " ELSE 0 END)" + leaves + " SELECT " + trimmed(select) + " FROM " +
           (carried.leaf ? "__bm_hl AS __bm_h" : "__bm_h") + " JOIN __bm_base AS " + alias +
           " ON " + rn + " = __bm_h.__bm_rn" + where + order;
}

} // namespace bm::db

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
    bool nocycle = false;
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

// Replaces the bare word LEVEL by the level column.
std::string withLevel(const std::vector<Token> &t, std::size_t from, std::size_t to) {
    std::string out;
    for (std::size_t i = from; i < to; ++i) {
        const bool qualified = i > 0 && t[i - 1].isOp(".");
        out += (!qualified && t[i].is("LEVEL")) ? "__bm_h.__bm_level" : t[i].text;
    }
    return out;
}

} // namespace

std::string translateHierarchicalQuery(const std::string &sql, const DialectContext &context) {
    const std::vector<Token> t = tokenize(sql);
    for (const Token &token : t) {
        for (const char *name : {"CONNECT_BY_ISLEAF", "CONNECT_BY_ISCYCLE", "CONNECT_BY_ROOT",
                                 "SYS_CONNECT_BY_PATH", "SIBLINGS"})
            if (token.is(name))
                unsupported(upperAscii(token.text));
    }
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
        else if ((w.is("GROUP") && by) || w.is("HAVING") || w.is("UNION") || w.is("INTERSECT") ||
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
    auto sig = [&](std::size_t i) {
        while (i < t.size() && t[i].isTrivia())
            ++i;
        return i;
    };

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
    if (priors.empty())
        unsupported("CONNECT BY without PRIOR");
    for (std::size_t i = c.select; i < c.from; ++i)
        if (t[i].is("PRIOR"))
            unsupported("PRIOR in the select list");

    const std::string start =
        c.start == t.size() ? "1"
                            : trimmed(joinTokens(t, sig(sig(c.start + 1) + 1), clauseEnd(c.start)));

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
            select += (t[i].is("LEVEL") && !(i > 0 && t[i - 1].isOp("."))) ? "__bm_h.__bm_level"
                                                                           : t[i].text;
        }
    }

    const std::string rn = alias + ".__bm_rn";
    const std::string step = "printf('/%010d', " + rn + ")";
    std::string priorColumns, priorValues;
    for (std::size_t k = 0; k < priors.size(); ++k) {
        priorColumns += ", __bm_prior_" + std::to_string(k + 1);
        priorValues += ", " + priors[k];
    }
    const std::string fresh = "instr(__bm_h.__bm_path, " + step + ") = 0";
    const std::string cycle =
        c.nocycle ? fresh : "CASE WHEN " + fresh + " THEN 1 ELSE BM_CONNECT_BY_LOOP() END";

    std::string out =
        "WITH RECURSIVE __bm_base AS MATERIALIZED (SELECT row_number() OVER () AS "
        "__bm_rn, * FROM " +
        table + "), __bm_h(__bm_rn, __bm_level, __bm_path" + priorColumns + ") AS (SELECT " + rn +
        ", 1, " + step + priorValues + " FROM __bm_base AS " + alias + " WHERE (" + start +
        ") UNION ALL SELECT " + rn + ", __bm_h.__bm_level + 1, __bm_h.__bm_path || " + step +
        priorValues + " FROM __bm_h JOIN __bm_base AS " + alias + " ON CASE WHEN (" +
        trimmed(connect) + ") THEN " + cycle + " ELSE 0 END) SELECT " + trimmed(select) +
        " FROM __bm_h JOIN __bm_base AS " + alias + " ON " + rn + " = __bm_h.__bm_rn";
    if (c.where != t.size())
        out += " WHERE (" + trimmed(withLevel(t, sig(c.where + 1), clauseEnd(c.where))) + ")";
    if (c.order != t.size())
        out += " " + trimmed(withLevel(t, c.order, t.size()));
    else
        out += " ORDER BY __bm_h.__bm_path";
    return out;
}

} // namespace bm::db

#include "db/embedded/SchemaParser.h"

#include "sql/SqlTokenizer.h"

#include <cstdio>
#include <cstdlib>

namespace bm::db {

namespace {

// Tokens without white space and comments, keeping each token's position in the full list.
struct Significant {
    std::vector<Token> all;
    std::vector<std::size_t> at; // indices into all
    explicit Significant(const std::string &sql) : all(tokenize(sql)) {
        for (std::size_t i = 0; i < all.size(); ++i)
            if (!all[i].isTrivia())
                at.push_back(i);
    }
    std::size_t size() const { return at.size(); }
    const Token &operator[](std::size_t i) const { return all[at[i]]; }
    // The original text from significant token a up to (not including) b.
    std::string text(std::size_t a, std::size_t b) const {
        if (a >= b || a >= at.size())
            return {};
        return joinTokens(all, at[a], b < at.size() ? at[b - 1] + 1 : all.size());
    }
    // Index of the ")" closing the "(" at i.
    std::size_t closing(std::size_t i) const {
        int depth = 0;
        for (std::size_t j = i; j < size(); ++j) {
            if ((*this)[j].isOp("("))
                ++depth;
            else if ((*this)[j].isOp(")") && --depth == 0)
                return j;
        }
        return size();
    }
};

// Names listed between the parentheses at open.
std::vector<std::string> nameList(const Significant &s, std::size_t open, std::size_t close) {
    std::vector<std::string> names;
    for (std::size_t i = open + 1; i < close; ++i) {
        if (s[i].kind == TokenKind::Word || s[i].kind == TokenKind::QuotedName) {
            if (i == open + 1 || s[i - 1].isOp(","))
                names.push_back(unquote(s[i]));
        }
    }
    return names;
}

// REFERENCES table [(columns)] [ON DELETE rule] …, from the REFERENCES token.
std::size_t parseReference(const Significant &s, std::size_t i, std::size_t end,
                           ParsedConstraint &c) {
    c.type = 'R';
    c.deleteRule = "NO ACTION";
    if (++i < end)
        c.refTable = unquote(s[i++]);
    if (i < end && s[i].isOp("(")) {
        const std::size_t close = s.closing(i);
        c.refColumns = nameList(s, i, close);
        i = close + 1;
    }
    while (i + 1 < end && s[i].is("ON")) {
        const bool onDelete = i + 1 < end && s[i + 1].is("DELETE");
        i += 2;
        std::string rule;
        while (i < end &&
               (s[i].is("CASCADE") || s[i].is("SET") || s[i].is("NULL") || s[i].is("DEFAULT") ||
                s[i].is("RESTRICT") || s[i].is("NO") || s[i].is("ACTION"))) {
            rule += (rule.empty() ? "" : " ") + upperAscii(s[i].text);
            ++i;
        }
        if (onDelete && !rule.empty())
            c.deleteRule = rule;
    }
    return i;
}

std::uint32_t fnv1a(const std::string &text) {
    std::uint32_t hash = 2166136261u;
    for (unsigned char c : text) {
        hash ^= c;
        hash *= 16777619u;
    }
    return hash;
}

} // namespace

std::string generatedConstraintName(const std::string &table, int ordinal) {
    char name[16];
    std::snprintf(name, sizeof name, "SYS_C%07u",
                  fnv1a(upperAscii(table) + "#" + std::to_string(ordinal)) % 10000000u);
    return name;
}

std::vector<ParsedConstraint> parseConstraints(const std::string &table,
                                               const std::string &createSql) {
    std::vector<ParsedConstraint> constraints;
    const Significant s(createSql);
    std::size_t open = 0;
    while (open < s.size() && !s[open].isOp("("))
        ++open;
    if (open >= s.size())
        return constraints;
    const std::size_t close = s.closing(open);

    auto add = [&](ParsedConstraint c, std::string name) {
        if (name.empty()) {
            c.name = generatedConstraintName(table, static_cast<int>(constraints.size()) + 1);
            c.generated = true;
        } else {
            c.name = std::move(name);
        }
        constraints.push_back(std::move(c));
    };

    std::size_t item = open + 1;
    while (item < close) {
        // One column definition or table constraint, up to the next comma at this level.
        std::size_t end = item;
        for (int depth = 0; end < close; ++end) {
            if (s[end].isOp("("))
                ++depth;
            else if (s[end].isOp(")"))
                --depth;
            else if (depth == 0 && s[end].isOp(","))
                break;
        }
        std::size_t i = item;
        std::string pendingName;
        const bool tableConstraint = s[i].is("CONSTRAINT") || s[i].is("PRIMARY") ||
                                     s[i].is("UNIQUE") || s[i].is("CHECK") || s[i].is("FOREIGN");
        std::string column;
        std::string columnType;
        if (!tableConstraint) {
            column = unquote(s[i++]);
            const std::size_t typeStart = i;
            while (i < end && (s[i].kind == TokenKind::Word) && !s[i].is("CONSTRAINT") &&
                   !s[i].is("PRIMARY") && !s[i].is("NOT") && !s[i].is("NULL") &&
                   !s[i].is("UNIQUE") && !s[i].is("CHECK") && !s[i].is("REFERENCES") &&
                   !s[i].is("DEFAULT") && !s[i].is("COLLATE") && !s[i].is("GENERATED") &&
                   !s[i].is("AS"))
                ++i;
            columnType = upperAscii(s.text(typeStart, i));
            if (i < end && s[i].isOp("("))
                i = s.closing(i) + 1;
        }
        while (i < end) {
            const Token &t = s[i];
            ParsedConstraint c;
            if (t.is("CONSTRAINT") && i + 1 < end) {
                pendingName = unquote(s[i + 1]);
                i += 2;
                continue;
            }
            if (t.is("PRIMARY") || t.is("UNIQUE")) {
                c.type = t.is("PRIMARY") ? 'P' : 'U';
                i += t.is("PRIMARY") ? 2 : 1;
                if (tableConstraint && i < end && s[i].isOp("(")) {
                    const std::size_t cl = s.closing(i);
                    c.columns = nameList(s, i, cl);
                    i = cl + 1;
                } else {
                    c.columns = {column};
                    c.rowidKey = c.type == 'P' && upperAscii(columnType) == "INTEGER";
                }
                add(std::move(c), std::move(pendingName));
                pendingName.clear();
            } else if (t.is("NOT") && i + 1 < end && s[i + 1].is("NULL")) {
                c.type = 'C';
                c.columns = {column};
                c.condition = quoteName(column) + " IS NOT NULL";
                add(std::move(c), std::move(pendingName));
                pendingName.clear();
                i += 2;
            } else if (t.is("CHECK") && i + 1 < end && s[i + 1].isOp("(")) {
                const std::size_t cl = s.closing(i + 1);
                c.type = 'C';
                if (!tableConstraint)
                    c.columns = {column};
                c.condition = s.text(i + 2, cl);
                add(std::move(c), std::move(pendingName));
                pendingName.clear();
                i = cl + 1;
            } else if (t.is("FOREIGN") && i + 2 < end && s[i + 2].isOp("(")) {
                const std::size_t cl = s.closing(i + 2);
                c.columns = nameList(s, i + 2, cl);
                i = cl + 1;
                if (i < end && s[i].is("REFERENCES"))
                    i = parseReference(s, i, end, c);
                add(std::move(c), std::move(pendingName));
                pendingName.clear();
            } else if (t.is("REFERENCES")) {
                c.columns = {column};
                i = parseReference(s, i, end, c);
                add(std::move(c), std::move(pendingName));
                pendingName.clear();
            } else if (t.is("DEFAULT") && i + 1 < end) {
                i += 2;
                if (s[i - 1].isOp("("))
                    i = s.closing(i - 1) + 1;
                else if ((s[i - 1].isOp("-") || s[i - 1].isOp("+")) && i < end)
                    ++i;
            } else if (t.isOp("(")) {
                i = s.closing(i) + 1;
            } else {
                ++i;
            }
        }
        item = end + 1;
    }
    return constraints;
}

ParsedTrigger parseTrigger(const std::string &createSql) {
    ParsedTrigger trigger;
    const Significant s(createSql);
    std::size_t i = 0;
    while (i < s.size() && !s[i].is("TRIGGER"))
        ++i;
    ++i;
    if (i + 2 < s.size() && s[i].is("IF"))
        i += 3; // IF NOT EXISTS
    const std::size_t headerStart = i;
    ++i; // the trigger's name
    std::string timing = "BEFORE";
    std::size_t bodyStart = s.size(), whenStart = s.size();
    for (std::size_t j = i; j < s.size(); ++j) {
        if (s[j].is("BEFORE") || s[j].is("AFTER"))
            timing = upperAscii(s[j].text);
        else if (s[j].is("INSTEAD"))
            timing = "INSTEAD OF";
        else if (trigger.event.empty() &&
                 (s[j].is("INSERT") || s[j].is("UPDATE") || s[j].is("DELETE")))
            trigger.event = upperAscii(s[j].text);
        else if (s[j].is("ON") && trigger.table.empty() && j + 1 < s.size())
            trigger.table = unquote(s[j + 1]);
        else if (s[j].is("WHEN") && whenStart == s.size())
            whenStart = j;
        else if (s[j].is("BEGIN")) {
            bodyStart = j;
            break;
        }
    }
    trigger.type = timing == "INSTEAD OF" ? timing : timing + " EACH ROW";
    const std::size_t headerEnd = std::min(whenStart, bodyStart);
    trigger.description = s.text(headerStart, headerEnd);
    if (whenStart < bodyStart) {
        std::size_t a = whenStart + 1, b = bodyStart;
        if (a < b && s[a].isOp("(") && s.closing(a) == b - 1) {
            ++a;
            --b;
        }
        trigger.whenClause = s.text(a, b);
    }
    trigger.body = s.text(bodyStart, s.size());
    return trigger;
}

std::string viewQueryText(const std::string &createSql) {
    const Significant s(createSql);
    for (std::size_t i = 0; i < s.size(); ++i)
        if (s[i].is("AS"))
            return s.text(i + 1, s.size());
    return {};
}

std::string oracleIndexName(const std::string &table, const std::string &createSql,
                            const std::string &sqliteIndexName) {
    static const std::string prefix = "sqlite_autoindex_";
    if (sqliteIndexName.rfind(prefix, 0) != 0)
        return sqliteIndexName;
    const std::size_t underscore = sqliteIndexName.rfind('_');
    const int number = std::atoi(sqliteIndexName.c_str() + underscore + 1);
    int seen = 0;
    for (const ParsedConstraint &c : parseConstraints(table, createSql)) {
        if ((c.type == 'P' && !c.rowidKey) || c.type == 'U') {
            if (++seen == number)
                return c.name;
        }
    }
    return sqliteIndexName;
}

} // namespace bm::db

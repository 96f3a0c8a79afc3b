#include "db/embedded/OracleDialect.h"

#include "db/embedded/ConnectBy.h"

namespace bm::db {

namespace {

struct Item {
    std::string text;
    const Token *token = nullptr; // null for a group: (…) or CASE … END
    bool trivia() const { return token && token->isTrivia(); }
    bool isOp(std::string_view op) const { return token && token->isOp(op); }
    bool isName() const {
        return token && ((token->kind == TokenKind::Word && !isReservedWord(*token)) ||
                         token->kind == TokenKind::QuotedName);
    }
};

std::string rewriteRange(const std::vector<Token> &t, std::size_t begin, std::size_t end);

// The index past the token that closes the group opened at i: ")" for "(", END for CASE.
std::size_t groupEnd(const std::vector<Token> &t, std::size_t i, std::size_t end) {
    int parens = 0, cases = 0;
    const bool isCase = t[i].is("CASE");
    for (std::size_t j = i; j < end; ++j) {
        if (t[j].isOp("("))
            ++parens;
        else if (t[j].isOp(")"))
            --parens;
        else if (t[j].is("CASE"))
            ++cases;
        else if (t[j].is("END"))
            --cases;
        if (isCase ? (cases == 0 && parens == 0) : parens == 0)
            return j + 1;
    }
    return end;
}

std::vector<Item> itemsOf(const std::vector<Token> &t, std::size_t begin, std::size_t end) {
    std::vector<Item> items;
    for (std::size_t i = begin; i < end;) {
        if (t[i].isOp("(") || t[i].is("CASE")) {
            const std::size_t close = groupEnd(t, i, end);
            const bool closed =
                close <= end && close > i + 1 && (t[close - 1].isOp(")") || t[close - 1].is("END"));
            const std::size_t innerEnd = closed ? close - 1 : close;
            items.push_back({t[i].text + rewriteRange(t, i + 1, innerEnd) +
                                 (closed ? t[close - 1].text : std::string()),
                             nullptr});
            i = close;
        } else {
            items.push_back({t[i].text, &t[i]});
            ++i;
        }
    }
    return items;
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
    if ((items[first].isOp("-") || items[first].isOp("+")) && first + 1 < items.size())
        end = operandEnd(items, first + 1);
    else if (items[first].isName()) {
        const std::size_t next = nextSignificant(items, first);
        if (next != std::string::npos && !items[next].token)
            end = next; // a call, maybe with blanks before its parenthesis
    }
    while (end + 2 < items.size() && items[end + 1].isOp(".") && items[end + 2].isName())
        end += 2;
    return end;
}

std::string itemText(const std::vector<Item> &items, std::size_t from, std::size_t to) {
    std::string text;
    for (std::size_t i = from; i <= to; ++i)
        text += items[i].text;
    return text;
}

std::string rewriteRange(const std::vector<Token> &t, std::size_t begin, std::size_t end) {
    const std::vector<Item> items = itemsOf(t, begin, end);
    std::string out;
    std::size_t emitted = 0; // items before this are in out
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (!items[i].isOp("||"))
            continue;
        const std::size_t leftLast = prevSignificant(items, i);
        if (leftLast == std::string::npos || leftLast < emitted)
            continue;
        const std::size_t chainStart = operandStart(items, leftLast);
        std::vector<std::string> operands{itemText(items, chainStart, leftLast)};
        std::size_t bar = i, chainEnd = leftLast;
        while (bar < items.size() && items[bar].isOp("||")) {
            const std::size_t first = nextSignificant(items, bar);
            if (first == std::string::npos)
                break;
            const std::size_t last = operandEnd(items, first);
            operands.push_back(itemText(items, first, last));
            chainEnd = last;
            bar = nextSignificant(items, last);
            if (bar == std::string::npos)
                break;
        }
        if (operands.size() < 2)
            continue;
        for (std::size_t k = emitted; k < chainStart; ++k)
            out += items[k].text;
        std::string chain = "nullif(";
        for (std::size_t k = 0; k < operands.size(); ++k)
            chain += (k ? "||coalesce(" : "coalesce(") + operands[k] + ",'')";
        out += chain + ",'')";
        emitted = chainEnd + 1;
        i = chainEnd;
    }
    for (std::size_t i = emitted; i < items.size(); ++i)
        out += items[i].text;
    return out;
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

std::string rewriteConcatenation(const std::vector<Token> &tokens) {
    return rewriteRange(tokens, 0, tokens.size());
}

std::string translateStatement(const std::string &sql, const DialectContext &context) {
    std::vector<Token> tokens = tokenize(sql);
    bool hierarchical = false;
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        Token &t = tokens[i];
        if (t.kind != TokenKind::Word)
            continue;
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
    std::string text = rewriteConcatenation(tokens);
    if (hierarchical)
        text = translateHierarchicalQuery(text, context);
    return text;
}

} // namespace bm::db

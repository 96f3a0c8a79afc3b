#include "db/embedded/DialectLevels.h"

#include "sql/AppError.h"

namespace bm::db::dialect {

namespace {
// Deeper nesting of parentheses and CASE than any real statement needs is refused before the
// engine's own parser would run out of stack on it.
constexpr std::size_t kMaxNestingDepth = 255;

} // namespace

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

[[noreturn]] void notOffered(const std::string &what) {
    throw AppError(kErrStatementRejected, "Brindlemark embedded engine",
                   what + " is not offered by the embedded engine; an Oracle database runs it.");
}

bool isWord(const Item &item, std::string_view word) {
    return item.token && item.token->is(word);
}

std::string itemText(const std::vector<Token> &tokens, const std::vector<Item> &items,
                     std::size_t first, std::size_t last) {
    std::string text;
    for (std::size_t t = items[first].first; t <= items[last].last; ++t)
        text += tokens[t].text;
    return text;
}

} // namespace bm::db::dialect

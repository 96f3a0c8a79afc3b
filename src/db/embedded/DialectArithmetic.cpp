// Oracle's arithmetic on one level of a statement: exact division, and + and - that also work
// on dates.

#include "db/embedded/DialectLevels.h"

namespace bm::db::dialect {

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

namespace {

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

} // namespace

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
        std::string &prefix = edits.before[items[firstToken].first];
        for (auto op = operators.rbegin(); op != operators.rend(); ++op)
            prefix.append(items[*op].isOp("+") ? std::string_view("bm_plus(")
                                               : std::string_view("bm_minus("));
        for (std::size_t k = 0; k < operators.size(); ++k) {
            edits.replace[items[operators[k]].first].assign(1, ',');
            std::size_t last = terms[k + 1].second - 1;
            while (items[last].trivia())
                --last;
            edits.after[items[last].last] += ")";
        }
    }
}

} // namespace bm::db::dialect

#pragma once

// The pieces the dialect's rewriting works with: a statement's nesting levels read as items
// (tokens, and groups seen whole), the edits collected on them, and the rewrites of one level.

#include "db/embedded/OracleDialect.h"

#include <map>
#include <string>
#include <vector>

namespace bm::db::dialect {

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
Groups findGroups(const std::vector<Token> &t);

std::size_t prevSignificant(const std::vector<Item> &items, std::size_t i);
std::size_t nextSignificant(const std::vector<Item> &items, std::size_t i);
// The first item of the operand that ends at item last.
std::size_t operandStart(const std::vector<Item> &items, std::size_t last);
// The last item of the operand that starts at item first.
std::size_t operandEnd(const std::vector<Item> &items, std::size_t first);

// Text to put before and after tokens, and tokens written differently; the statement is then
// written out once.
struct Insertions {
    std::map<std::size_t, std::string> before, after, replace;
};

[[noreturn]] void notOffered(const std::string &what);
bool isWord(const Item &item, std::string_view word);
// The text of items first to last (inclusive), as written.
std::string itemText(const std::vector<Token> &tokens, const std::vector<Item> &items,
                     std::size_t first, std::size_t last);

// The rewrites of one level.
void rewriteDivision(const std::vector<Item> &items, Insertions &edits);
void rewriteAddition(const std::vector<Item> &items, Insertions &edits);
void rewriteRowLimiting(const std::vector<Token> &tokens, const std::vector<Item> &items,
                        std::size_t insertAt, Insertions &edits);
// Oracle's (+) outer joins of every level, as LEFT JOINs; done on the tokens before the levels
// are read.
void rewriteOuterJoins(std::vector<Token> &tokens, const DialectContext *context);
void checkGrouping(const std::vector<Token> &tokens, const std::vector<Item> &items,
                   const DialectContext &context);

} // namespace bm::db::dialect

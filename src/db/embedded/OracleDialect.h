#pragma once

// Turns a statement in the Oracle dialect the program sends into one SQLite runs: identifiers
// with # and $, USER and SYSDATE, Oracle's null rules for ||, and hierarchical queries. All the
// rewriting works on tokens, so text inside literals and comments is never touched.

#include "sql/PlSql.h"
#include "sql/SqlTokenizer.h"

#include <functional>
#include <string>
#include <vector>

namespace bm::db {

struct DialectContext {
    std::string userName; // the session's user, as USER gives it (upper case)
    // The column names of a table or view, for expanding * in a hierarchical query.
    std::function<std::vector<std::string>(const std::string &)> columnsOf;
};

// Raises kErrStatementRejected for an Oracle construct the engine recognises but cannot run.
std::string translateStatement(std::vector<Token> tokens, const DialectContext &context);

// Rewrites a || b || … so that null operands count as empty text and the result is null only
// when every operand is (Oracle's rule). Exposed for the hierarchical-query translation.
std::string rewriteConcatenation(const std::vector<Token> &tokens);

// Every rewriting of a statement's levels (null rules, arithmetic, row limits, null ordering),
// with the checks that need the schema when a context is given.
std::string rewriteLevels(const std::vector<Token> &tokens, const DialectContext *context);

// The column headings Oracle gives a query's select list, one per item: an alias as written
// (upper case unless quoted), otherwise the expression's text in upper case without blanks.
// Empty when the statement is no plain SELECT or an item is a star.
std::vector<std::string> selectListHeadings(const std::vector<Token> &tokens);

// True for words that cannot be a function's or column's name in an expression.
bool isReservedWord(const Token &token);

} // namespace bm::db

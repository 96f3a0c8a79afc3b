#include "db/embedded/SyntaxErrors.h"

#include "sql/SqlTokenizer.h"

#include <vector>

namespace bm::db {

namespace {

bool isVerb(const Token &t) {
    for (const char *verb :
         {"SELECT",  "INSERT",   "UPDATE",  "DELETE",   "MERGE",     "CREATE",  "DROP",
          "ALTER",   "WITH",     "COMMIT",  "ROLLBACK", "SAVEPOINT", "EXPLAIN", "GRANT",
          "REVOKE",  "TRUNCATE", "COMMENT", "RENAME",   "LOCK",      "SET",     "BEGIN",
          "DECLARE", "ANALYZE",  "CALL",    "VALUES"})
        if (t.is(verb))
            return true;
    return false;
}

// After these an expression must follow.
bool expectsExpression(const Token &t) {
    if (t.kind == TokenKind::Operator)
        return !t.isOp(")") && !t.isOp(";") && !t.isOp("*");
    for (const char *word : {"SELECT", "WHERE",   "AND",  "OR",     "NOT",    "ON",       "WHEN",
                             "THEN",   "ELSE",    "BY",   "HAVING", "SET",    "DISTINCT", "IN",
                             "LIKE",   "BETWEEN", "CASE", "IS",     "RETURN", "PRIOR",    "WITH"})
        if (t.is(word))
            return true;
    return false;
}

} // namespace

std::string oracleSyntaxError(std::string_view sql, int offset, const std::string &message) {
    const std::vector<Token> all = tokenize(sql);
    std::vector<std::size_t> at; // significant tokens, with their offsets
    std::vector<const Token *> t;
    std::size_t position = 0, stop = std::string::npos;
    for (const Token &token : all) {
        if (!token.isTrivia()) {
            if (stop == std::string::npos && offset >= 0 &&
                position >= static_cast<std::size_t>(offset))
                stop = t.size();
            t.push_back(&token);
        }
        position += token.text.size();
    }
    const bool incomplete = message.find("incomplete input") != std::string::npos;
    if (incomplete || stop == std::string::npos)
        stop = t.size();
    const auto oracle = [&](const char *text) { return std::string(text) + " (" + message + ")"; };

    if (t.empty() || !isVerb(*t[0]))
        return oracle("ORA-00900: invalid SQL statement");
    int depth = 0;
    for (const Token *token : t)
        depth += token->isOp("(") ? 1 : token->isOp(")") ? -1 : 0;
    if (incomplete && depth > 0)
        return oracle("ORA-00907: missing right parenthesis");
    if (stop == 0 || expectsExpression(*t[stop - 1]) ||
        (stop < t.size() && (t[stop]->isOp(",") || t[stop]->isOp(")")) && t[stop - 1]->isOp("(")))
        return oracle("ORA-00936: missing expression");
    // Inside a select list: the innermost SELECT before the stop has no FROM yet.
    int level = 0;
    for (std::size_t i = stop; i-- > 0;) {
        if (t[i]->isOp(")"))
            ++level;
        else if (t[i]->isOp("(") && level-- == 0)
            break;
        else if (level == 0 && t[i]->is("FROM"))
            break;
        else if (level == 0 && t[i]->is("SELECT"))
            return oracle("ORA-00923: FROM keyword not found where expected");
    }
    return oracle("ORA-00933: SQL command not properly ended");
}

} // namespace bm::db

#include "sql/PlSql.h"

namespace bm::db {

bool isPlSql(const std::vector<Token> &tokens) {
    std::vector<const Token *> words;
    for (const Token &t : tokens) {
        if (t.isTrivia())
            continue;
        if (t.kind != TokenKind::Word || words.size() == 4)
            break;
        words.push_back(&t);
    }
    if (words.empty())
        return false;
    if (words[0]->is("BEGIN")) {
        // BEGIN [DEFERRED | IMMEDIATE | EXCLUSIVE] [TRANSACTION] starts a transaction here.
        bool transaction = true;
        bool first = true;
        for (const Token &t : tokens) {
            if (t.isTrivia() || t.isOp(";"))
                continue;
            if (first) {
                first = false;
                continue;
            }
            transaction = transaction && (t.is("DEFERRED") || t.is("IMMEDIATE") ||
                                          t.is("EXCLUSIVE") || t.is("TRANSACTION"));
        }
        return !transaction;
    }
    if (words[0]->is("DECLARE"))
        return true;
    if (!words[0]->is("CREATE"))
        return false;
    std::size_t k = 1;
    if (k + 1 < words.size() && words[k]->is("OR") && words[k + 1]->is("REPLACE"))
        k += 2;
    if (k < words.size() && (words[k]->is("EDITIONABLE") || words[k]->is("NONEDITIONABLE")))
        ++k;
    if (k >= words.size())
        return false;
    for (const char *kind : {"PROCEDURE", "FUNCTION", "PACKAGE", "TRIGGER", "TYPE"})
        if (words[k]->is(kind))
            return true;
    return false;
}

} // namespace bm::db

#pragma once

// Oracle's sequences on the embedded engine: CREATE and DROP SEQUENCE, name.NEXTVAL and
// name.CURRVAL, and the USER_SEQUENCES view. They are kept in the table BM$SEQUENCES of the
// database file, made when the first sequence is created; CURRVAL belongs to the session.

#include "sql/SqlTokenizer.h"

#include <map>
#include <string>
#include <vector>

struct sqlite3;

namespace bm::db {

class Sequences {
public:
    explicit Sequences(sqlite3 *db);
    Sequences(const Sequences &) = delete;
    Sequences &operator=(const Sequences &) = delete;

    // The USER_SEQUENCES view, over the table when there is one.
    void installView();
    // Runs CREATE SEQUENCE or DROP SEQUENCE; false for any other statement.
    bool run(const std::vector<Token> &tokens);

    long long nextValue(const std::string &name);
    long long currentValue(const std::string &name) const;

private:
    bool tableExists() const;

    sqlite3 *db_;
    std::map<std::string, long long> current_;
};

// name.NEXTVAL and name.CURRVAL as the calls that answer them.
void rewriteSequenceReferences(std::vector<Token> &tokens);

} // namespace bm::db

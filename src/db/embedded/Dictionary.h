#pragma once

// The Oracle data dictionary of an embedded session: USER_ views, DICTIONARY, V$SESSION,
// V$PROCESS and DUAL, as temporary objects of the session that describe the file's own schema
// at the moment of each query.

#include "sql/SqlTokenizer.h"

#include <string>
#include <vector>

struct sqlite3;

namespace bm::db {

class Dictionary {
public:
    Dictionary(sqlite3 *db, std::string userName, int sid);

    // Creates the views and tables; called once when the session opens.
    void install();
    // Brings the tables the statement names up to date: constraints and triggers when the schema
    // changed since they were last read, the sessions every time.
    void refreshFor(const std::vector<Token> &tokens);

private:
    void refreshParsed();
    void refreshSessions();

    sqlite3 *db_;
    std::string owner_;
    int sid_;
    long long parsedSchemaVersion_ = -1;
};

} // namespace bm::db

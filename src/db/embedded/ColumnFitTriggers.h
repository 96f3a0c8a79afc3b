#pragma once

// Keeps a session's temporary triggers that make every INSERT and UPDATE of the file's tables
// fit the declared column types (see ColumnFit.h). They live in the session only: the file is
// not changed, files of any age get the rules, and a read-only file too.

#include <map>
#include <string>

struct sqlite3;

namespace bm::db {

class ColumnFitTriggers {
public:
    explicit ColumnFitTriggers(sqlite3 *db, std::string owner)
        : db_(db), owner_(std::move(owner)) {}

    // Brings the triggers in line with the tables when the schema version (as the session read
    // it) changed since the last call.
    void refresh(long long schemaVersion);

private:
    void install(const std::string &table, const std::string &createSql);

    sqlite3 *db_;
    std::string owner_;
    long long schemaVersion_ = -1;
    std::map<std::string, std::string> tables_; // table name -> its CREATE statement
};

} // namespace bm::db

#pragma once

// Reading the file's own schema: its version, which SQLite changes with every change of a
// definition (-1 when it cannot be read), and whether a table exists in it.

#include <sqlite3.h>
#include <string>

namespace bm::db {

inline long long mainSchemaVersion(sqlite3 *db) {
    sqlite3_stmt *stmt = nullptr;
    long long version = -1;
    if (sqlite3_prepare_v2(db, "PRAGMA main.schema_version", -1, &stmt, nullptr) == SQLITE_OK &&
        sqlite3_step(stmt) == SQLITE_ROW)
        version = sqlite3_column_int64(stmt, 0);
    sqlite3_finalize(stmt);
    return version;
}

// Table names are matched as SQLite matches them, without regard to case.
inline bool mainTableExists(sqlite3 *db, const std::string &name) {
    sqlite3_stmt *stmt = nullptr;
    bool exists = false;
    if (sqlite3_prepare_v2(db,
                           "SELECT 1 FROM main.sqlite_master WHERE type = 'table' AND name = ? "
                           "COLLATE NOCASE",
                           -1, &stmt, nullptr) == SQLITE_OK) {
        sqlite3_bind_text(stmt, 1, name.c_str(), -1, SQLITE_TRANSIENT);
        exists = sqlite3_step(stmt) == SQLITE_ROW;
    }
    sqlite3_finalize(stmt);
    return exists;
}

} // namespace bm::db

#pragma once

// The file's schema version, which SQLite changes with every change of a definition; -1 when it
// cannot be read.

#include <sqlite3.h>

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

} // namespace bm::db

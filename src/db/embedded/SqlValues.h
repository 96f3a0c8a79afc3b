#pragma once

// Reading and answering SQLite values in the engine's SQL functions, with Oracle's rule that an
// empty text is null.

#include <sqlite3.h>
#include <string>
#include <string_view>

namespace bm::db {

inline bool isNullish(sqlite3_value *v) {
    const int type = sqlite3_value_type(v);
    return type == SQLITE_NULL || (type == SQLITE_TEXT && sqlite3_value_bytes(v) == 0);
}

inline std::string_view textOf(sqlite3_value *v) {
    const auto *p = reinterpret_cast<const char *>(sqlite3_value_text(v));
    return {p ? p : "", static_cast<std::size_t>(sqlite3_value_bytes(v))};
}

// A text result; an empty one is null.
inline void resultText(sqlite3_context *ctx, std::string_view value) {
    if (value.empty())
        sqlite3_result_null(ctx);
    else
        sqlite3_result_text(ctx, value.data(), static_cast<int>(value.size()), SQLITE_TRANSIENT);
}

} // namespace bm::db

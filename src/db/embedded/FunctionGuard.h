#pragma once

// SQLite is C: no exception may pass back through it. An SQL function the engine adds is
// registered through guarded<>, so that a failure inside it becomes the statement's error.

#include <exception>
#include <new>
#include <sqlite3.h>

namespace bm::db {

template <void (*Function)(sqlite3_context *, int, sqlite3_value **)>
void guarded(sqlite3_context *ctx, int argc, sqlite3_value **argv) {
    try {
        Function(ctx, argc, argv);
    } catch (const std::bad_alloc &) {
        sqlite3_result_error_nomem(ctx);
    } catch (const std::exception &e) {
        sqlite3_result_error(ctx, e.what(), -1);
    } catch (...) {
        sqlite3_result_error(ctx, "Unknown failure in an SQL function", -1);
    }
}

} // namespace bm::db

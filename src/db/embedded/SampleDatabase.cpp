#include "db/embedded/SampleDatabase.h"

#include "sql/AppError.h"

#include <filesystem>
#include <sqlite3.h>
#include <unistd.h>

namespace bm::db {

namespace {
constexpr const char *kSource = "Brindlemark sample database";
}

bool isUsableDatabase(const std::string &path) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec))
        return false;
    sqlite3 *db = nullptr;
    bool ok = false;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_stmt *stmt = nullptr;
        if (sqlite3_prepare_v2(db, "PRAGMA quick_check", -1, &stmt, nullptr) == SQLITE_OK &&
            sqlite3_step(stmt) == SQLITE_ROW) {
            const auto *result = reinterpret_cast<const char *>(sqlite3_column_text(stmt, 0));
            ok = result && std::string(result) == "ok";
        }
        sqlite3_finalize(stmt);
    }
    sqlite3_close_v2(db);
    return ok;
}

void ensureSampleDatabase(const std::string &path, const std::string &script) {
    if (isUsableDatabase(path))
        return;
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path target(path);
    if (target.has_parent_path())
        fs::create_directories(target.parent_path(), ec);
    const std::string temporary = path + ".building-" + std::to_string(getpid());
    fs::remove(temporary, ec);

    sqlite3 *db = nullptr;
    int rc = sqlite3_open_v2(temporary.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE,
                             nullptr);
    char *message = nullptr;
    if (rc == SQLITE_OK)
        rc = sqlite3_exec(db, ("BEGIN;\n" + script + "\n;COMMIT;").c_str(), nullptr, nullptr,
                          &message);
    std::string reason = message ? message : (db ? sqlite3_errmsg(db) : sqlite3_errstr(rc));
    sqlite3_free(message);
    sqlite3_close_v2(db);
    if (rc != SQLITE_OK) {
        fs::remove(temporary, ec);
        throw AppError(kErrGeneral, kSource,
                       "Cannot create the sample database \"" + path + "\": " + reason);
    }
    fs::rename(temporary, target, ec);
    if (ec) {
        const std::string why = ec.message();
        fs::remove(temporary, ec);
        throw AppError(kErrGeneral, kSource,
                       "Cannot create the sample database \"" + path + "\": " + why);
    }
}

} // namespace bm::db

#include "db/embedded/SampleDatabase.h"

#include "db/embedded/SessionRegistry.h"
#include "sql/AppError.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <sqlite3.h>
#include <unistd.h>

namespace bm::db {

namespace {

constexpr const char *kSource = "Brindlemark sample database";
// How long the check waits for another session's write to finish before it calls the file busy.
constexpr int kBusyTimeoutMs = 2000;

[[noreturn]] void fail(const std::string &path, const std::string &reason) {
    throw AppError(kErrGeneral, kSource,
                   "Cannot prepare the sample database \"" + path + "\": " + reason);
}

SampleFileState stateFromCode(int code, const std::string &path, const std::string &reason) {
    switch (code & 0xff) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return SampleFileState::InUse;
    case SQLITE_NOTADB:
    case SQLITE_CORRUPT:
        return SampleFileState::Damaged;
    default:
        fail(path, reason);
    }
}

// Moves a damaged or outdated file, and the journal that belongs to it, out of the way under one
// stamp, so that nothing of it is lost and its journal is never played into the new database.
void moveAside(const std::string &path, const char *why) {
    namespace fs = std::filesystem;
    const std::string suffix = std::string(".") + why + "-" + currentDateTime("%Y%m%d-%H%M%S") +
                               "-" + std::to_string(getpid());
    for (const char *part : {"", "-journal", "-wal", "-shm"}) {
        const std::string from = path + part;
        std::error_code ec;
        if (!fs::exists(from, ec))
            continue;
        fs::rename(from, path + suffix + part, ec);
        if (ec)
            fail(path, std::string("cannot move the ") + why + " file aside: " + ec.message());
    }
}

void build(const std::string &path, const std::string &script) {
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
        fail(path, reason);
    }
    // link() never replaces: when another copy of the program built the file meanwhile, its
    // database stays and this one is dropped.
    const int linked = ::link(temporary.c_str(), path.c_str());
    const int error = errno;
    fs::remove(temporary, ec);
    if (linked != 0 && error != EEXIST)
        fail(path, std::strerror(error));
}

} // namespace

SampleFileState sampleFileState(const std::string &path) {
    namespace fs = std::filesystem;
    std::error_code ec;
    const auto status = fs::status(path, ec);
    if (!fs::exists(status))
        return SampleFileState::Missing;
    if (!fs::is_regular_file(status))
        fail(path, "it is not a regular file");
    // An empty file opens as an empty database, which has none of the sample's tables.
    if (fs::file_size(path, ec) == 0 && !ec)
        return SampleFileState::Damaged;

    sqlite3 *db = nullptr;
    // Opened for writing, so that a journal left by a writer that died is rolled back as SQLite
    // means it to be, instead of making the file look unreadable.
    int rc = sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
    SampleFileState state = SampleFileState::Usable;
    if (rc == SQLITE_OK) {
        sqlite3_extended_result_codes(db, 1);
        sqlite3_busy_timeout(db, kBusyTimeoutMs);
        sqlite3_stmt *stmt = nullptr;
        rc = sqlite3_prepare_v2(db, "PRAGMA quick_check", -1, &stmt, nullptr);
        if (rc == SQLITE_OK) {
            rc = sqlite3_step(stmt);
            if (rc == SQLITE_ROW) {
                const auto *result = reinterpret_cast<const char *>(sqlite3_column_text(stmt, 0));
                state = result && std::strcmp(result, "ok") == 0 ? SampleFileState::Usable
                                                                 : SampleFileState::Damaged;
                rc = SQLITE_OK;
            }
        }
        sqlite3_finalize(stmt);
        stmt = nullptr;
        if (rc == SQLITE_OK && state == SampleFileState::Usable &&
            sqlite3_prepare_v2(db, "PRAGMA user_version", -1, &stmt, nullptr) == SQLITE_OK &&
            sqlite3_step(stmt) == SQLITE_ROW && sqlite3_column_int(stmt, 0) < kSampleVersion)
            state = SampleFileState::Outdated;
        sqlite3_finalize(stmt);
    }
    if (rc != SQLITE_OK) {
        const std::string reason = db ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
        sqlite3_close_v2(db);
        return stateFromCode(rc, path, reason);
    }
    sqlite3_close_v2(db);
    return state;
}

void ensureSampleDatabase(const std::string &path, const std::string &script) {
    switch (sampleFileState(path)) {
    case SampleFileState::Usable:
    case SampleFileState::InUse:
        return;
    case SampleFileState::Damaged:
        moveAside(path, "damaged");
        break;
    case SampleFileState::Outdated:
        moveAside(path, "outdated");
        break;
    case SampleFileState::Missing:
        break;
    }
    build(path, script);
}

} // namespace bm::db

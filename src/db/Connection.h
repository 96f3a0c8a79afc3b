#pragma once

// The connection object of the program: a connection string, a state (closed or open) and, when
// open, the session of the engine that the data source chose.

#include "db/core/Session.h"

#include <memory>
#include <mutex>
#include <string>

namespace bm::db {

enum class EngineKind { Sample, File, Oracle };

// "demo" opens the bundled sample database; "file:" URIs and names ending in .db, .sqlite or
// .sqlite3 open that SQLite file; anything else is an Oracle net service name.
EngineKind chooseEngine(std::string_view dataSource);

// Where the sample database lives and the script that builds it.
struct SampleSource {
    std::string path;
    std::string script;
};

class Connection {
public:
    static constexpr int kStateClosed = 0;
    static constexpr int kStateOpen = 1;

    void setConnectionString(std::string text) { connectionString_ = std::move(text); }
    const std::string &connectionString() const { return connectionString_; }

    int state() const { return session_ && session_->isOpen() ? kStateOpen : kStateClosed; }
    // Opens the engine the connection string's data source names; raises on failure and stays
    // closed. Either way the password is then wiped from the connection string.
    void open(const SampleSource &sample);
    void close() noexcept;
    // True when the open database takes no changes.
    bool readOnly() const { return state() == kStateOpen && session_->readOnly(); }

    // One caller at a time: the background worker waits for its turn; any other thread waits
    // a moment and then fails with kBusyMessage, so that it never hangs behind a long query.
    std::int64_t execute(std::string_view sql);
    std::unique_ptr<Recordset> query(std::string_view sql, std::int32_t maxRecords);
    // Opens a statement; each fetch of the cursor takes its turn on the connection as above.
    // The cursor must be gone before the connection closes.
    std::unique_ptr<Cursor> open(std::string_view sql);

    // From any thread, without waiting for a turn.
    void interrupt() noexcept;
    void clearInterrupt() noexcept;
    bool waitingForLock() const noexcept;

    static constexpr const char *kBusyMessage =
        "The connection is busy running a query. Try again when it has finished, or cancel it.";

private:
    friend class TurnTakingCursor;
    Session &session();
    std::unique_lock<std::timed_mutex> turn();

    std::string connectionString_;
    std::unique_ptr<Session> session_;
    std::timed_mutex turn_;
};

} // namespace bm::db

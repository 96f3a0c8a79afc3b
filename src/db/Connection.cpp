#include "db/Connection.h"

#include "db/core/ConnectionString.h"
#include "db/embedded/EmbeddedSession.h"
#include "db/embedded/SampleDatabase.h"
#include "db/oracle/OracleSession.h"
#include "sql/AppError.h"

#include <strings.h>

namespace bm::db {

namespace {

bool endsWithNoCase(std::string_view text, std::string_view suffix) {
    return text.size() >= suffix.size() && strncasecmp(text.data() + text.size() - suffix.size(),
                                                       suffix.data(), suffix.size()) == 0;
}

} // namespace

EngineKind chooseEngine(std::string_view dataSource) {
    if (dataSource.size() == 4 && strncasecmp(dataSource.data(), "demo", 4) == 0)
        return EngineKind::Sample;
    if (dataSource.rfind("file:", 0) == 0 || endsWithNoCase(dataSource, ".db") ||
        endsWithNoCase(dataSource, ".sqlite") || endsWithNoCase(dataSource, ".sqlite3"))
        return EngineKind::File;
    return EngineKind::Oracle;
}

void Connection::open(const SampleSource &sample) {
    if (state() == kStateOpen)
        return;
    session_.reset();
    ConnectionSettings settings = parseConnectionString(connectionString_);
    // The password is needed only until the engine has opened or failed; then no copy is kept.
    struct ForgetPassword {
        std::string &connectionString;
        std::string &password;
        ~ForgetPassword() {
            std::string kept = withoutPassword(connectionString);
            wipeSecret(connectionString);
            connectionString = std::move(kept);
            wipeSecret(password);
        }
    } forget{connectionString_, settings.password};
    switch (chooseEngine(settings.dataSource)) {
    case EngineKind::Sample:
        ensureSampleDatabase(sample.path, sample.script);
        session_ = std::make_unique<EmbeddedSession>(sample.path, settings.userId);
        break;
    case EngineKind::File:
        session_ = std::make_unique<EmbeddedSession>(settings.dataSource, settings.userId);
        break;
    case EngineKind::Oracle:
        session_ = openOracleSession(settings);
        break;
    }
}

void Connection::close() noexcept {
    if (session_)
        session_->interrupt();
    const std::lock_guard lock(turn_);
    if (session_)
        session_->close();
    session_.reset();
}

std::unique_lock<std::timed_mutex> Connection::turn() {
    std::unique_lock lock(turn_, std::defer_lock);
    if (waitsForLocksWithoutLimit())
        lock.lock();
    else if (!lock.try_lock_for(std::chrono::milliseconds(500)))
        throw AppError(kErrGeneral, "Connection", kBusyMessage);
    return lock;
}

void Connection::interrupt() noexcept {
    if (session_)
        session_->interrupt();
}

void Connection::clearInterrupt() noexcept {
    if (session_)
        session_->clearInterrupt();
}

bool Connection::waitingForLock() const noexcept {
    return session_ && session_->waitingForLock();
}

// A cursor whose fetches take their turn on the connection.
class TurnTakingCursor : public Cursor {
public:
    TurnTakingCursor(std::unique_ptr<Cursor> cursor, Connection &connection)
        : cursor_(std::move(cursor)), connection_(connection) {}
    ~TurnTakingCursor() override {
        // The statement is finished in the connection's turn as well.
        const std::lock_guard lock(connection_.turn_);
        cursor_.reset();
    }
    const std::vector<Field> &fields() const override { return cursor_->fields(); }
    bool fetch(Recordset &into, std::size_t maxRows) override {
        const auto lock = connection_.turn();
        return cursor_->fetch(into, maxRows);
    }

private:
    std::unique_ptr<Cursor> cursor_;
    Connection &connection_;
};

Session &Connection::session() {
    if (state() != kStateOpen)
        throw AppError(kErrGeneral, "Connection", kClosedMessage);
    return *session_;
}

std::int64_t Connection::execute(std::string_view sql) {
    const auto lock = turn();
    return session().execute(sql);
}

std::unique_ptr<Recordset> Connection::query(std::string_view sql, std::int32_t maxRecords) {
    const auto lock = turn();
    return session().query(sql, maxRecords);
}

std::unique_ptr<Cursor> Connection::open(std::string_view sql) {
    const auto lock = turn();
    return std::make_unique<TurnTakingCursor>(session().open(sql), *this);
}

} // namespace bm::db

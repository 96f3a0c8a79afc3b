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
        session_->close();
    session_.reset();
}

Session &Connection::session() {
    if (state() != kStateOpen)
        throw AppError(kErrGeneral, "Connection", kClosedMessage);
    return *session_;
}

std::int64_t Connection::execute(std::string_view sql) {
    return session().execute(sql);
}

std::unique_ptr<Recordset> Connection::query(std::string_view sql, std::int32_t maxRecords) {
    return session().query(sql, maxRecords);
}

} // namespace bm::db

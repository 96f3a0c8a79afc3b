#include "QueryHistory.h"

#include "settings/ProgramSettings.h"

#include <QDir>
#include <QStandardPaths>
#include <cstdio>
#include <sqlite3.h>

namespace {

QString columnText(sqlite3_stmt *stmt, int column) {
    const auto *p = reinterpret_cast<const char *>(sqlite3_column_text(stmt, column));
    return p ? QString::fromUtf8(p, sqlite3_column_bytes(stmt, column)) : QString();
}

void bindText(sqlite3_stmt *stmt, int index, const QString &text) {
    const QByteArray utf8 = text.toUtf8();
    sqlite3_bind_text(stmt, index, utf8.constData(), static_cast<int>(utf8.size()),
                      SQLITE_TRANSIENT);
}

} // namespace

QueryHistory &QueryHistory::instance() {
    static QueryHistory history(
        QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + "/history.db",
        programSettings()->value("History/MaxEntries", kDefaultLimit).toInt());
    return history;
}

QueryHistory::QueryHistory(const QString &path, int limit) : limit_(std::max(1, limit)) {
    QDir().mkpath(QFileInfo(path).path());
    if (sqlite3_open_v2(path.toUtf8().constData(), &db_,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX,
                        nullptr) != SQLITE_OK) {
        std::fprintf(stderr, "Brindlemark: the query history %s cannot be opened: %s\n",
                     path.toLocal8Bit().constData(), db_ ? sqlite3_errmsg(db_) : "no memory");
        sqlite3_close_v2(db_);
        db_ = nullptr;
        return;
    }
    sqlite3_busy_timeout(db_, 2000);
    sqlite3_exec(db_,
                 "PRAGMA journal_mode = WAL;"
                 "CREATE TABLE IF NOT EXISTS history (id INTEGER PRIMARY KEY, batch INTEGER, "
                 "run_at INTEGER, data_source TEXT, user_name TEXT, statement TEXT, rows INTEGER, "
                 "elapsed_ms REAL, ok INTEGER, error TEXT);",
                 nullptr, nullptr, nullptr);
}

QueryHistory::~QueryHistory() {
    sqlite3_close_v2(db_);
}

qint64 QueryHistory::newBatch() {
    std::lock_guard lock(mutex_);
    if (!db_)
        return 0;
    sqlite3_stmt *stmt = nullptr;
    qint64 batch = 1;
    if (sqlite3_prepare_v2(db_, "SELECT coalesce(max(batch), 0) + 1 FROM history", -1, &stmt,
                           nullptr) == SQLITE_OK &&
        sqlite3_step(stmt) == SQLITE_ROW)
        batch = sqlite3_column_int64(stmt, 0);
    sqlite3_finalize(stmt);
    return batch;
}

void QueryHistory::record(HistoryEntry e) {
    std::lock_guard lock(mutex_);
    if (!db_)
        return;
    sqlite3_stmt *stmt = nullptr;
    int rc = sqlite3_prepare_v2(db_,
                                "INSERT INTO history (batch, run_at, data_source, user_name, "
                                "statement, rows, elapsed_ms, ok, error) VALUES "
                                "(?, ?, ?, ?, ?, ?, ?, ?, ?)",
                                -1, &stmt, nullptr);
    if (rc == SQLITE_OK) {
        sqlite3_bind_int64(stmt, 1, e.batch);
        sqlite3_bind_int64(stmt, 2, e.when.toMSecsSinceEpoch());
        bindText(stmt, 3, e.dataSource);
        bindText(stmt, 4, e.user);
        bindText(stmt, 5, e.statement);
        if (e.rows >= 0)
            sqlite3_bind_int64(stmt, 6, e.rows);
        sqlite3_bind_double(stmt, 7, e.elapsedMs);
        sqlite3_bind_int(stmt, 8, e.ok ? 1 : 0);
        if (!e.ok)
            bindText(stmt, 9, e.error);
        rc = sqlite3_step(stmt);
    }
    sqlite3_finalize(stmt);
    if (rc != SQLITE_DONE && !reportedFailure_) {
        reportedFailure_ = true;
        std::fprintf(stderr, "Brindlemark: a statement could not be added to the history: %s\n",
                     sqlite3_errmsg(db_));
    }
    prune();
}

void QueryHistory::prune() {
    sqlite3_stmt *stmt = nullptr;
    if (sqlite3_prepare_v2(db_, "DELETE FROM history WHERE id <= (SELECT max(id) FROM history) - ?",
                           -1, &stmt, nullptr) == SQLITE_OK) {
        sqlite3_bind_int(stmt, 1, limit_);
        sqlite3_step(stmt);
    }
    sqlite3_finalize(stmt);
}

QList<HistoryEntry> QueryHistory::recent(const QString &filter, int limit) const {
    std::lock_guard lock(mutex_);
    QList<HistoryEntry> entries;
    if (!db_)
        return entries;
    sqlite3_stmt *stmt = nullptr;
    const char *sql = filter.isEmpty()
                          ? "SELECT id, batch, run_at, data_source, user_name, statement, rows, "
                            "elapsed_ms, ok, error FROM history ORDER BY id DESC LIMIT ?"
                          : "SELECT id, batch, run_at, data_source, user_name, statement, rows, "
                            "elapsed_ms, ok, error FROM history WHERE statement LIKE ? ESCAPE "
                            "'\\' ORDER BY id DESC LIMIT ?";
    if (sqlite3_prepare_v2(db_, sql, -1, &stmt, nullptr) != SQLITE_OK)
        return entries;
    int index = 1;
    if (!filter.isEmpty()) {
        QString pattern = filter;
        pattern.replace("\\", "\\\\").replace("%", "\\%").replace("_", "\\_");
        bindText(stmt, index++, "%" + pattern + "%");
    }
    sqlite3_bind_int(stmt, index, limit);
    entries.reserve(std::min(limit, 10000));
    while (sqlite3_step(stmt) == SQLITE_ROW) {
        HistoryEntry e;
        e.id = sqlite3_column_int64(stmt, 0);
        e.batch = sqlite3_column_int64(stmt, 1);
        e.when = QDateTime::fromMSecsSinceEpoch(sqlite3_column_int64(stmt, 2));
        e.dataSource = columnText(stmt, 3);
        e.user = columnText(stmt, 4);
        e.statement = columnText(stmt, 5);
        e.rows = sqlite3_column_type(stmt, 6) == SQLITE_NULL ? -1 : sqlite3_column_int64(stmt, 6);
        e.elapsedMs = sqlite3_column_double(stmt, 7);
        e.ok = sqlite3_column_int(stmt, 8) != 0;
        e.error = columnText(stmt, 9);
        entries.append(std::move(e));
    }
    sqlite3_finalize(stmt);
    return entries;
}

void QueryHistory::clear() {
    std::lock_guard lock(mutex_);
    if (db_)
        sqlite3_exec(db_, "DELETE FROM history", nullptr, nullptr, nullptr);
}

void QueryHistory::setLimit(int limit) {
    std::lock_guard lock(mutex_);
    limit_ = std::max(1, limit);
    if (db_)
        prune();
}

#pragma once

// Every statement run, kept across restarts in an SQLite file in the per-user data folder: its
// text, when, the data source and user (never the password), the rows, the time it took, and
// whether it succeeded or the error it raised. Written by the background worker as the batch
// runs; bounded (oldest dropped) at a number of entries the settings give.

#include <QDateTime>
#include <QList>
#include <QString>
#include <mutex>

struct sqlite3;

struct HistoryEntry {
    qint64 id = 0;
    qint64 batch = 0;
    QDateTime when; // kept to the millisecond
    QString dataSource, user, statement;
    qint64 rows = -1; // -1: not known (a statement that failed)
    double elapsedMs = 0;
    bool ok = true;
    QString error;
};

class QueryHistory {
public:
    static constexpr int kDefaultLimit = 10000;

    // The program's history (History/MaxEntries in the settings bounds it).
    static QueryHistory &instance();
    explicit QueryHistory(const QString &path, int limit = kDefaultLimit);
    ~QueryHistory();
    QueryHistory(const QueryHistory &) = delete;
    QueryHistory &operator=(const QueryHistory &) = delete;

    // A number for the statements of one batch.
    qint64 newBatch();
    // From any thread. A failure to write is reported once on standard error and does not stop
    // the batch: the history is a convenience, the statement's own result is what counts.
    void record(HistoryEntry entry);
    // Newest first; filter keeps statements containing it (ignoring case).
    QList<HistoryEntry> recent(const QString &filter = {}, int limit = kDefaultLimit) const;
    void clear();
    int limit() const { return limit_; }
    void setLimit(int limit);

private:
    void prune();

    mutable std::mutex mutex_;
    sqlite3 *db_ = nullptr;
    int limit_;
    bool reportedFailure_ = false;
};

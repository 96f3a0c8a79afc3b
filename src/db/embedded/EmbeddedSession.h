#pragma once

// The embedded engine: an SQLite file spoken to in the dialect the program sends.

#include "db/core/Session.h"
#include "db/embedded/OracleDialect.h"
#include "db/embedded/TranslationCache.h"

#include <atomic>
#include <memory>
#include <string>

struct sqlite3;
struct sqlite3_stmt;

namespace bm::db {

class ColumnFitTriggers;
class Dictionary;
class Sequences;

class EmbeddedSession : public Session {
public:
    // Opens an existing file, or an SQLite "file:" URI (created only when it says mode=rwc).
    // userName is the log-on user name the session records.
    EmbeddedSession(const std::string &location, std::string userName);
    ~EmbeddedSession() override;

    bool isOpen() const override { return db_ != nullptr; }
    void close() noexcept override;
    std::int64_t execute(std::string_view sql) override;
    std::unique_ptr<Cursor> open(std::string_view sql) override;
    void interrupt() noexcept override;
    void clearInterrupt() noexcept override;
    bool waitingForLock() const noexcept override { return waitingForLock_; }

    bool readOnly() const override;
    const std::string &userName() const { return userName_; }

    // A statement's failure as the engine raises it.
    [[noreturn]] void raise(int code) const;
    // The engine's message as Oracle words it, where Oracle has a number for it.
    std::string oracleMessage(const std::string &message) const;

    // The statement as SQLite runs it, rewritten once per text and schema version.
    const std::string &translated(std::string_view sql, const std::vector<Token> &tokens);

private:
    friend class EmbeddedCursor;
    sqlite3_stmt *prepare(std::string_view sql, const std::vector<Token> &tokens);
    long long schemaVersion();
    // The start of every statement: the checks, the tokens, the dictionary brought up to date;
    // true (with its rows) when the engine answered the statement itself.
    bool begin(std::string_view sql, std::vector<Token> &tokens, std::int64_t &ownRows);
    // Steps a statement without rows to its end.
    void runToEnd(sqlite3_stmt *stmt);
    // Statements the engine answers itself (EXPLAIN PLAN, COMMIT outside a transaction);
    // returns true and the rows written when it did.
    bool runOwnStatement(const std::vector<Token> &tokens, std::int64_t &rows);
    static int authorize(void *self, int action, const char *, const char *detail, const char *,
                         const char *);
    std::vector<std::string> columnsOf(const std::string &table);
    // Waits for another program's lock: without limit on the background worker (until the
    // statement is interrupted), a few seconds elsewhere.
    static int waitForLock(void *self, int attempt);

    sqlite3 *db_ = nullptr;
    bool checkingUserStatement_ = false;
    std::string refusal_;       // why the authorizer refused the last statement
    std::string statementVerb_; // the first word of the statement prepared last
    std::string userName_;
    int sid_ = 0;
    DialectContext context_;
    TranslationCache translations_;
    bool consultedSchema_ = false; // the translation under way read a table's columns
    sqlite3_stmt *schemaVersionQuery_ = nullptr;
    std::unique_ptr<Dictionary> dictionary_;
    std::unique_ptr<Sequences> sequences_;
    std::unique_ptr<ColumnFitTriggers> columnFits_;
    std::atomic<bool> interrupted_{false};
    std::atomic<bool> waitingForLock_{false};
};

} // namespace bm::db

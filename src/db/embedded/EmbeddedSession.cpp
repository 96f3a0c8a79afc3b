#include "db/embedded/EmbeddedSession.h"

#include "db/embedded/ColumnFit.h"
#include "db/embedded/ColumnFitTriggers.h"
#include "db/embedded/Dictionary.h"
#include "db/embedded/ExplainPlan.h"
#include "db/embedded/OracleFunctions.h"
#include "db/embedded/Sequences.h"
#include "db/embedded/SessionRegistry.h"
#include "db/embedded/SyntaxErrors.h"
#include "sql/AppError.h"

#include <charconv>
#include <sqlite3.h>

namespace bm::db {

namespace {

constexpr const char *kSource = "Brindlemark embedded engine";
constexpr const char *kInvalidStatement = "ORA-00900: invalid SQL statement";

struct StatementGuard {
    sqlite3_stmt *stmt;
    ~StatementGuard() { sqlite3_finalize(stmt); }
};

// Only white space, comments and semicolons may follow the one statement sent.
bool onlyTrivia(const char *p) {
    while (*p) {
        if (*p == ';' || *p == ' ' || *p == '\t' || *p == '\n' || *p == '\r' || *p == '\f') {
            ++p;
        } else if (p[0] == '-' && p[1] == '-') {
            while (*p && *p != '\n')
                ++p;
        } else if (p[0] == '/' && p[1] == '*') {
            p += 2;
            while (*p && !(p[0] == '*' && p[1] == '/'))
                ++p;
            if (*p)
                p += 2;
        } else {
            return false;
        }
    }
    return true;
}

FieldType typeFromDeclaration(const char *declared) {
    if (!declared || !*declared)
        return FieldType::Unknown;
    std::string upper(declared);
    for (char &c : upper)
        c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
    auto has = [&](const char *word) { return upper.find(word) != std::string::npos; };
    if (has("CHAR") || has("CLOB") || has("TEXT"))
        return FieldType::Text;
    if (has("DATE") || has("TIME"))
        return FieldType::Date;
    if (has("BLOB") || has("RAW"))
        return FieldType::Binary;
    if (has("INT") || has("NUM") || has("DEC") || has("REAL") || has("FLOA") || has("DOUB"))
        return FieldType::Numeric;
    return FieldType::Text;
}

FieldType typeFromValue(int sqliteType) {
    switch (sqliteType) {
    case SQLITE_INTEGER:
    case SQLITE_FLOAT:
        return FieldType::Numeric;
    case SQLITE_BLOB:
        return FieldType::Binary;
    default:
        return FieldType::Text;
    }
}

bool isRejection(int code) {
    switch (code & 0xff) {
    case SQLITE_ERROR:
    case SQLITE_CONSTRAINT:
    case SQLITE_MISMATCH:
    case SQLITE_RANGE:
    case SQLITE_TOOBIG:
    case SQLITE_AUTH:
        return true;
    default:
        return false;
    }
}

bool isStatementVerb(const std::vector<Token> &tokens, std::string_view verb) {
    for (const Token &t : tokens)
        if (!t.isTrivia())
            return t.is(verb);
    return false;
}

} // namespace

// SQLite statements that Oracle does not have and that reach past the database (ATTACH opens
// other files, PRAGMA can switch off its safety) are refused when the user sends them; the
// engine's own statements are not checked.
int EmbeddedSession::authorize(void *data, int action, const char *, const char *detail,
                               const char *, const char *) {
    auto &self = *static_cast<EmbeddedSession *>(data);
    if (!self.checkingUserStatement_)
        return SQLITE_OK;
    switch (action) {
    case SQLITE_ATTACH:
    case SQLITE_DETACH:
    case SQLITE_PRAGMA:
        self.refusal_ = kInvalidStatement;
        return SQLITE_DENY;
    case SQLITE_FUNCTION:
        if (detail && sqlite3_stricmp(detail, "load_extension") == 0) {
            self.refusal_ = "ORA-00904: \"LOAD_EXTENSION\": invalid identifier";
            return SQLITE_DENY;
        }
        return SQLITE_OK;
    default:
        return SQLITE_OK;
    }
}

EmbeddedSession::EmbeddedSession(const std::string &location, std::string userName)
    : userName_(std::move(userName)) {
    const bool uri = location.rfind("file:", 0) == 0;
    // One session is used by one thread at a time: no need for SQLite's own locking.
    int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX;
    if (uri) {
        flags |= SQLITE_OPEN_URI;
        if (location.find("mode=rwc") != std::string::npos)
            flags |= SQLITE_OPEN_CREATE;
    }
    int rc = sqlite3_open_v2(location.c_str(), &db_, flags, nullptr);
    if (rc == SQLITE_OK) {
        // Reading the schema proves the file is a database before the log-on is reported.
        rc = sqlite3_exec(db_, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr);
    }
    if (rc != SQLITE_OK) {
        std::string reason = db_ ? sqlite3_errmsg(db_) : sqlite3_errstr(rc);
        sqlite3_close_v2(db_);
        db_ = nullptr;
        throw AppError(kErrGeneral, kSource,
                       "Cannot open the database file \"" + location + "\": " + reason);
    }
    sqlite3_extended_result_codes(db_, 1);
    sqlite3_busy_handler(db_, &EmbeddedSession::waitForLock, this);
    // Keys are enforced, as the database the program was made for enforces them.
    sqlite3_exec(db_, "PRAGMA foreign_keys = ON", nullptr, nullptr, nullptr);
    // LIKE tells capitals from small letters, as Oracle's does.
    sqlite3_exec(db_, "PRAGMA case_sensitive_like = ON", nullptr, nullptr, nullptr);
    // The schema cannot be written to directly, whatever a statement tries.
    sqlite3_db_config(db_, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
    sqlite3_db_config(db_, SQLITE_DBCONFIG_ENABLE_LOAD_EXTENSION, 0, nullptr);
    sqlite3_set_authorizer(db_, &EmbeddedSession::authorize, this);
    registerOracleFunctions(db_);
    registerColumnFitFunction(db_);
    context_.userName = upperAscii(userName_);
    context_.columnsOf = [this](const std::string &table) { return columnsOf(table); };
    sid_ = registerSession(userName_);
    dictionary_ = std::make_unique<Dictionary>(db_, userName_, sid_);
    providePlanTable(db_);
    sequences_ = std::make_unique<Sequences>(db_);
    columnFits_ = std::make_unique<ColumnFitTriggers>(db_, userName_);
    try {
        dictionary_->install();
        sequences_->installView();
    } catch (...) {
        close();
        throw;
    }
}

EmbeddedSession::~EmbeddedSession() {
    close();
}

void EmbeddedSession::close() noexcept {
    if (db_) {
        dictionary_.reset();
        sequences_.reset();
        columnFits_.reset();
        sqlite3_finalize(schemaVersionQuery_);
        schemaVersionQuery_ = nullptr;
        unregisterSession(sid_);
        sqlite3_close_v2(db_);
        db_ = nullptr;
    }
}

std::vector<std::string> EmbeddedSession::columnsOf(const std::string &table) {
    consultedSchema_ = true;
    std::vector<std::string> names;
    sqlite3_stmt *stmt = nullptr;
    if (sqlite3_prepare_v2(db_, ("SELECT * FROM " + table + " LIMIT 0").c_str(), -1, &stmt,
                           nullptr) == SQLITE_OK) {
        for (int i = 0; i < sqlite3_column_count(stmt); ++i)
            names.emplace_back(sqlite3_column_name(stmt, i));
    }
    sqlite3_finalize(stmt);
    return names;
}

bool EmbeddedSession::runOwnStatement(const std::vector<Token> &tokens, std::int64_t &rows) {
    if (isExplainPlan(tokens)) {
        rows = explainPlan(db_, tokens, context_);
        return true;
    }
    if (sequences_->run(tokens)) {
        rows = 0;
        return true;
    }
    // COMMIT and ROLLBACK outside a transaction: every statement has already been committed.
    std::vector<const Token *> words;
    for (const Token &t : tokens)
        if (!t.isTrivia() && !t.isOp(";"))
            words.push_back(&t);
    const bool transactionEnd = !words.empty() &&
                                (words[0]->is("COMMIT") || words[0]->is("ROLLBACK")) &&
                                (words.size() == 1 || (words.size() == 2 && words[1]->is("WORK")));
    if (transactionEnd && sqlite3_get_autocommit(db_)) {
        rows = 0;
        return true;
    }
    return false;
}

bool EmbeddedSession::readOnly() const {
    return db_ && sqlite3_db_readonly(db_, "main") == 1;
}

int EmbeddedSession::waitForLock(void *data, int attempt) {
    auto &self = *static_cast<EmbeddedSession *>(data);
    constexpr int kStepMs = 20;
    constexpr int kLimitMs = 5000;
    if (self.interrupted_ || (!waitsForLocksWithoutLimit() && attempt * kStepMs >= kLimitMs)) {
        self.waitingForLock_ = false;
        return 0;
    }
    self.waitingForLock_ = true;
    sqlite3_sleep(kStepMs);
    return 1;
}

void EmbeddedSession::interrupt() noexcept {
    interrupted_ = true;
    if (db_)
        sqlite3_interrupt(db_);
}

void EmbeddedSession::clearInterrupt() noexcept {
    interrupted_ = false;
}

namespace {

bool startsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

// "t.c" as Oracle quotes a name in its messages: "T"."C".
std::string quotedPath(std::string_view dotted) {
    std::string out;
    std::size_t start = 0;
    while (start <= dotted.size()) {
        std::size_t dot = dotted.find('.', start);
        if (dot == std::string_view::npos)
            dot = dotted.size();
        if (!out.empty())
            out += '.';
        out += '"' + upperAscii(std::string(dotted.substr(start, dot - start))) + '"';
        start = dot + 1;
    }
    return out;
}

} // namespace

std::string EmbeddedSession::oracleMessage(const std::string &message) const {
    // The engine's own words for the failures Oracle users know by their numbers.
    if (startsWith(message, "no such table: ") || startsWith(message, "no such view: "))
        return "ORA-00942: table or view does not exist";
    if (startsWith(message, "no such column: "))
        return "ORA-00904: " + quotedPath(std::string_view(message).substr(16)) +
               ": invalid identifier";
    if (startsWith(message, "UNIQUE constraint failed: ") ||
        startsWith(message, "PRIMARY KEY constraint failed"))
        return "ORA-00001: unique constraint violated (" + message + ")";
    if (startsWith(message, "NOT NULL constraint failed: "))
        return "ORA-01400: cannot insert NULL into (\"" + upperAscii(userName_) + "\"." +
               quotedPath(std::string_view(message).substr(28)) + ")";
    if (startsWith(message, "FOREIGN KEY constraint failed"))
        return statementVerb_ == "DELETE"
                   ? "ORA-02292: integrity constraint violated - child record found"
                   : "ORA-02291: integrity constraint violated - parent key not found";
    if (startsWith(message, "CHECK constraint failed: "))
        return "ORA-02290: check constraint (" + upperAscii(userName_) + "." +
               upperAscii(message.substr(25)) + ") violated";
    if (message.find(" already exists") != std::string::npos &&
        (startsWith(message, "table ") || startsWith(message, "index ") ||
         startsWith(message, "view ") || startsWith(message, "trigger ")))
        return "ORA-00955: name is already used by an existing object";
    return message;
}

void EmbeddedSession::raise(int code) const {
    if ((code & 0xff) == SQLITE_INTERRUPT || interrupted_)
        throw AppError(kErrGeneral, kSource, kCancelledMessage);
    const std::string message = !refusal_.empty() ? refusal_
                                : db_             ? oracleMessage(sqlite3_errmsg(db_))
                                                  : sqlite3_errstr(code);
    throw AppError(isRejection(code) ? kErrStatementRejected : kErrGeneral, kSource, message);
}

long long EmbeddedSession::schemaVersion() {
    if (!schemaVersionQuery_ && sqlite3_prepare_v2(db_, "PRAGMA main.schema_version", -1,
                                                   &schemaVersionQuery_, nullptr) != SQLITE_OK)
        raise(sqlite3_errcode(db_));
    const int rc = sqlite3_step(schemaVersionQuery_);
    const long long version = rc == SQLITE_ROW ? sqlite3_column_int64(schemaVersionQuery_, 0) : -1;
    sqlite3_reset(schemaVersionQuery_);
    if (rc != SQLITE_ROW)
        raise(rc);
    return version;
}

const std::string &EmbeddedSession::translated(std::string_view sql,
                                               const std::vector<Token> &tokens) {
    if (const auto *known = translations_.find(sql))
        if (known->schemaVersion == TranslationCache::kAnySchema ||
            known->schemaVersion == schemaVersion())
            return known->text;
    const long long version = schemaVersion();
    consultedSchema_ = false;
    std::string text = translateStatement(tokens, context_);
    return translations_.store(
        sql, {std::move(text), consultedSchema_ ? version : TranslationCache::kAnySchema});
}

sqlite3_stmt *EmbeddedSession::prepare(std::string_view sql, const std::vector<Token> &tokens) {
    if (!db_)
        throw AppError(kErrGeneral, kSource, kClosedMessage);
    // VACUUM writes a copy of the database anywhere (VACUUM INTO) and passes no authorizer.
    if (isStatementVerb(tokens, "VACUUM"))
        throw AppError(kErrStatementRejected, kSource, kInvalidStatement);
    const std::string &translated = this->translated(sql, tokens);
    sqlite3_stmt *stmt = nullptr;
    const char *tail = nullptr;
    refusal_.clear();
    statementVerb_.clear();
    for (const Token &t : tokens)
        if (!t.isTrivia()) {
            statementVerb_ = upperAscii(t.text);
            break;
        }
    checkingUserStatement_ = true;
    const int rc = sqlite3_prepare_v2(db_, translated.data(), static_cast<int>(translated.size()),
                                      &stmt, &tail);
    checkingUserStatement_ = false;
    if (rc != SQLITE_OK) {
        sqlite3_finalize(stmt);
        const std::string message = sqlite3_errmsg(db_);
        if (refusal_.empty() &&
            (message.ends_with("syntax error") || message == "incomplete input"))
            refusal_ = oracleSyntaxError(translated, sqlite3_error_offset(db_), message);
        raise(rc);
    }
    refusal_.clear();
    if (!stmt)
        throw AppError(kErrStatementRejected, kSource, "The statement text is empty.");
    const std::string rest(tail, translated.data() + translated.size() - tail);
    if (!onlyTrivia(rest.c_str())) {
        sqlite3_finalize(stmt);
        throw AppError(kErrStatementRejected, kSource,
                       "Only one statement can be sent at a time; text follows the first one.");
    }
    return stmt;
}

bool EmbeddedSession::begin(std::string_view sql, std::vector<Token> &tokens,
                            std::int64_t &ownRows) {
    if (!db_)
        throw AppError(kErrGeneral, kSource, kClosedMessage);
    if (interrupted_)
        throw AppError(kErrGeneral, kSource, kCancelledMessage);
    tokens = tokenize(sql);
    dictionary_->refreshFor(tokens);
    // Writes meet the column types of the tables as they are now.
    if (isStatementVerb(tokens, "INSERT") || isStatementVerb(tokens, "UPDATE") ||
        isStatementVerb(tokens, "MERGE"))
        columnFits_->refresh(schemaVersion());
    return runOwnStatement(tokens, ownRows);
}

void EmbeddedSession::runToEnd(sqlite3_stmt *stmt) {
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
    }
    waitingForLock_ = false;
    if (rc != SQLITE_DONE)
        raise(rc);
}

std::int64_t EmbeddedSession::execute(std::string_view sql) {
    std::vector<Token> tokens;
    if (std::int64_t rows = 0; begin(sql, tokens, rows))
        return rows;
    StatementGuard guard{prepare(sql, tokens)};
    runToEnd(guard.stmt);
    return sqlite3_changes64(db_);
}

// The rows of one statement, stepped as they are fetched.
class EmbeddedCursor : public Cursor {
public:
    EmbeddedCursor(EmbeddedSession &session, sqlite3_stmt *stmt, std::vector<Field> fields)
        : session_(session), stmt_(stmt), fields_(std::move(fields)), typeSettled_(fields_.size()) {
        for (std::size_t i = 0; i < fields_.size(); ++i)
            typeSettled_[i] = fields_[i].type != FieldType::Unknown;
    }
    ~EmbeddedCursor() override { sqlite3_finalize(stmt_); }

    const std::vector<Field> &fields() const override { return fields_; }
    bool fetch(Recordset &into, std::size_t maxRows) override;

private:
    EmbeddedSession &session_;
    sqlite3_stmt *stmt_;
    std::vector<Field> fields_;
    std::vector<bool> typeSettled_;
    bool done_ = false;
    std::string hex_;
};

bool EmbeddedCursor::fetch(Recordset &into, std::size_t maxRows) {
    if (done_)
        return false;
    const int columns = static_cast<int>(fields_.size());
    char number[32];
    for (std::size_t rows = 0; rows < maxRows; ++rows) {
        const int rc = sqlite3_step(stmt_);
        session_.waitingForLock_ = false;
        if (rc != SQLITE_ROW) {
            done_ = true;
            if (rc != SQLITE_DONE)
                session_.raise(rc);
            // Finished: what the statement held (sort files, locks) goes now, not with the
            // cursor.
            sqlite3_reset(stmt_);
            return false;
        }
        for (int i = 0; i < columns; ++i) {
            const int type = sqlite3_column_type(stmt_, i);
            if (!typeSettled_[i] && type != SQLITE_NULL) {
                into.setFieldType(i, typeFromValue(type));
                fields_[i].type = into.fieldType(i);
                typeSettled_[i] = true;
            }
            switch (type) {
            case SQLITE_NULL:
                into.appendNull(i);
                break;
            case SQLITE_FLOAT: {
                // As a number prints, without the ".0" SQLite adds to whole reals.
                const auto end =
                    std::to_chars(number, number + sizeof number, sqlite3_column_double(stmt_, i),
                                  std::chars_format::general, 15)
                        .ptr;
                into.appendCell(i, std::string_view(number, end - number));
                break;
            }
            case SQLITE_BLOB: {
                const auto *bytes =
                    static_cast<const unsigned char *>(sqlite3_column_blob(stmt_, i));
                const int size = sqlite3_column_bytes(stmt_, i);
                static const char digits[] = "0123456789ABCDEF";
                hex_.resize(static_cast<std::size_t>(size) * 2);
                for (int b = 0; b < size; ++b) {
                    hex_[2 * b] = digits[bytes[b] >> 4];
                    hex_[2 * b + 1] = digits[bytes[b] & 15];
                }
                into.appendCell(i, hex_);
                break;
            }
            default: {
                const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(stmt_, i));
                into.appendCell(i, std::string_view(text, sqlite3_column_bytes(stmt_, i)));
            }
            }
        }
        into.endRow();
    }
    return true;
}

namespace {

// A statement that returns no rows: it has run by the time its cursor exists.
class NoRowsCursor : public Cursor {
public:
    const std::vector<Field> &fields() const override { return fields_; }
    bool fetch(Recordset &, std::size_t) override { return false; }

private:
    std::vector<Field> fields_;
};

} // namespace

std::unique_ptr<Cursor> EmbeddedSession::open(std::string_view sql) {
    std::vector<Token> tokens;
    if (std::int64_t rows = 0; begin(sql, tokens, rows))
        return std::make_unique<NoRowsCursor>();
    StatementGuard guard{prepare(sql, tokens)};
    sqlite3_stmt *stmt = guard.stmt;
    const int columns = sqlite3_column_count(stmt);
    if (columns == 0) {
        runToEnd(stmt);
        return std::make_unique<NoRowsCursor>();
    }
    std::vector<Field> fields(columns);
    // Headings as the database reports them: the select list as written, in upper case
    // unless quoted, rather than the text the engine actually ran.
    const std::vector<std::string> headings = selectListHeadings(tokens);
    for (int i = 0; i < columns; ++i) {
        const std::string name = sqlite3_column_name(stmt, i);
        bool quoted = false;
        for (const Token &t : tokens)
            quoted = quoted || (t.kind == TokenKind::QuotedName && t.text == quoteName(name));
        // A column the star brings is headed by its name as stored.
        const char *origin = sqlite3_column_origin_name(stmt, i);
        if (headings.size() == static_cast<std::size_t>(columns))
            fields[i].name = headings[i];
        else if (origin && name == origin)
            fields[i].name = origin;
        else
            fields[i].name = quoted ? name : upperAscii(name);
        fields[i].type = typeFromDeclaration(sqlite3_column_decltype(stmt, i));
    }
    guard.stmt = nullptr; // the cursor finalizes it
    return std::make_unique<EmbeddedCursor>(*this, stmt, std::move(fields));
}

} // namespace bm::db

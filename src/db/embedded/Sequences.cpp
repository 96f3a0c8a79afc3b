#include "db/embedded/Sequences.h"

#include "db/embedded/FunctionGuard.h"
#include "db/embedded/SchemaVersion.h"
#include "db/embedded/SqlValues.h"
#include "sql/AppError.h"

#include <sqlite3.h>

namespace bm::db {

namespace {

constexpr const char *kSource = "Brindlemark embedded engine";
constexpr long long kMaxValue = 999999999999999999LL; // within the engine's integers

[[noreturn]] void rejected(const std::string &message) {
    throw AppError(kErrStatementRejected, kSource, message);
}

void exec(sqlite3 *db, const std::string &sql) {
    char *message = nullptr;
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
        const std::string reason = message ? message : "unknown error";
        sqlite3_free(message);
        throw AppError(kErrGeneral, kSource, reason);
    }
}

std::string sequenceName(const Token &t) {
    return t.kind == TokenKind::QuotedName ? unquote(t) : upperAscii(t.text);
}

void nextvalFunction(sqlite3_context *ctx, int, sqlite3_value **argv) {
    auto &sequences = *static_cast<Sequences *>(sqlite3_user_data(ctx));
    try {
        sqlite3_result_int64(ctx, sequences.nextValue(std::string(textOf(argv[0]))));
    } catch (const AppError &error) {
        sqlite3_result_error(ctx, error.description().c_str(), -1);
    }
}

void currvalFunction(sqlite3_context *ctx, int, sqlite3_value **argv) {
    const auto &sequences = *static_cast<const Sequences *>(sqlite3_user_data(ctx));
    try {
        sqlite3_result_int64(ctx, sequences.currentValue(std::string(textOf(argv[0]))));
    } catch (const AppError &error) {
        sqlite3_result_error(ctx, error.description().c_str(), -1);
    }
}

} // namespace

Sequences::Sequences(sqlite3 *db) : db_(db) {
    sqlite3_create_function(db, "BM_NEXTVAL", 1, SQLITE_UTF8, this, guarded<nextvalFunction>,
                            nullptr, nullptr);
    sqlite3_create_function(db, "BM_CURRVAL", 1, SQLITE_UTF8, this, guarded<currvalFunction>,
                            nullptr, nullptr);
}

bool Sequences::tableExists() const {
    return mainTableExists(db_, "BM$SEQUENCES");
}

void Sequences::installView() {
    exec(db_, "DROP VIEW IF EXISTS temp.USER_SEQUENCES");
    if (tableExists())
        exec(db_, "CREATE TEMP VIEW USER_SEQUENCES AS SELECT SEQUENCE_NAME, MIN_VALUE, "
                  "MAX_VALUE, INCREMENT_BY, CYCLE_FLAG, 'N' AS ORDER_FLAG, CACHE_SIZE, "
                  "NEXT_VALUE AS LAST_NUMBER FROM main.\"BM$SEQUENCES\"");
    else
        exec(db_, "CREATE TEMP VIEW USER_SEQUENCES AS SELECT NULL AS SEQUENCE_NAME, NULL AS "
                  "MIN_VALUE, NULL AS MAX_VALUE, NULL AS INCREMENT_BY, NULL AS CYCLE_FLAG, NULL "
                  "AS ORDER_FLAG, NULL AS CACHE_SIZE, NULL AS LAST_NUMBER WHERE 0");
}

bool Sequences::run(const std::vector<Token> &tokens) {
    std::vector<const Token *> t;
    for (const Token &token : tokens)
        if (!token.isTrivia() && !token.isOp(";"))
            t.push_back(&token);
    if (t.size() < 3 || !t[1]->is("SEQUENCE") || !(t[0]->is("CREATE") || t[0]->is("DROP")))
        return false;
    const std::string name = sequenceName(*t[2]);
    if (t[0]->is("DROP")) {
        if (!tableExists())
            rejected("ORA-02289: sequence does not exist");
        sqlite3_stmt *stmt = nullptr;
        sqlite3_prepare_v2(db_, "DELETE FROM main.\"BM$SEQUENCES\" WHERE SEQUENCE_NAME = ?", -1,
                           &stmt, nullptr);
        sqlite3_bind_text(stmt, 1, name.c_str(), -1, SQLITE_TRANSIENT);
        const int rc = sqlite3_step(stmt);
        sqlite3_finalize(stmt);
        if (rc != SQLITE_DONE)
            throw AppError(kErrGeneral, kSource, sqlite3_errmsg(db_));
        if (sqlite3_changes(db_) == 0)
            rejected("ORA-02289: sequence does not exist");
        current_.erase(name);
        return true;
    }
    long long start = 0, increment = 1, minValue = 1, maxValue = kMaxValue, cache = 20;
    bool startGiven = false, minGiven = false, maxGiven = false, cycle = false;
    const auto number = [&](std::size_t &i) {
        bool negative = false;
        if (i < t.size() && t[i]->isOp("-")) {
            negative = true;
            ++i;
        }
        if (i >= t.size() || t[i]->kind != TokenKind::Number)
            rejected("ORA-01722: invalid number");
        const long long value = std::stoll(t[i]->text);
        ++i;
        return negative ? -value : value;
    };
    for (std::size_t i = 3; i < t.size();) {
        if (t[i]->is("START") && i + 1 < t.size() && t[i + 1]->is("WITH")) {
            i += 2;
            start = number(i);
            startGiven = true;
        } else if (t[i]->is("INCREMENT") && i + 1 < t.size() && t[i + 1]->is("BY")) {
            i += 2;
            increment = number(i);
            if (increment == 0)
                rejected("ORA-04002: INCREMENT must be a non-zero integer");
        } else if (t[i]->is("MINVALUE")) {
            ++i;
            minValue = number(i);
            minGiven = true;
        } else if (t[i]->is("MAXVALUE")) {
            ++i;
            maxValue = number(i);
            maxGiven = true;
        } else if (t[i]->is("CACHE")) {
            ++i;
            cache = number(i);
        } else if (t[i]->is("CYCLE") || t[i]->is("NOCYCLE")) {
            cycle = t[i]->is("CYCLE");
            ++i;
        } else if (t[i]->is("NOMINVALUE") || t[i]->is("NOMAXVALUE") || t[i]->is("NOCACHE") ||
                   t[i]->is("ORDER") || t[i]->is("NOORDER")) {
            cache = t[i]->is("NOCACHE") ? 0 : cache;
            ++i;
        } else {
            rejected("ORA-00933: SQL command not properly ended");
        }
    }
    // A descending sequence runs from -1 down.
    if (increment < 0) {
        if (!maxGiven)
            maxValue = -1;
        if (!minGiven)
            minValue = -kMaxValue;
    }
    if (!startGiven)
        start = increment > 0 ? minValue : maxValue;
    if (minValue >= maxValue)
        rejected("ORA-04006: MINVALUE must be less than MAXVALUE");
    if (start < minValue || start > maxValue)
        rejected("ORA-04006: START WITH cannot be less than MINVALUE");
    exec(db_, "CREATE TABLE IF NOT EXISTS main.\"BM$SEQUENCES\" (SEQUENCE_NAME TEXT PRIMARY KEY, "
              "MIN_VALUE INTEGER, MAX_VALUE INTEGER, INCREMENT_BY INTEGER, CYCLE_FLAG TEXT, "
              "CACHE_SIZE INTEGER, NEXT_VALUE INTEGER)");
    sqlite3_stmt *stmt = nullptr;
    sqlite3_prepare_v2(db_, "INSERT INTO main.\"BM$SEQUENCES\" VALUES (?, ?, ?, ?, ?, ?, ?)", -1,
                       &stmt, nullptr);
    sqlite3_bind_text(stmt, 1, name.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_int64(stmt, 2, minValue);
    sqlite3_bind_int64(stmt, 3, maxValue);
    sqlite3_bind_int64(stmt, 4, increment);
    sqlite3_bind_text(stmt, 5, cycle ? "Y" : "N", -1, SQLITE_STATIC);
    sqlite3_bind_int64(stmt, 6, cache);
    sqlite3_bind_int64(stmt, 7, start);
    const int rc = sqlite3_step(stmt);
    sqlite3_finalize(stmt);
    if ((rc & 0xff) == SQLITE_CONSTRAINT)
        rejected("ORA-00955: name is already used by an existing object");
    if (rc != SQLITE_DONE)
        throw AppError(kErrGeneral, kSource, sqlite3_errmsg(db_));
    installView();
    return true;
}

long long Sequences::nextValue(const std::string &name) {
    if (!tableExists())
        rejected("ORA-02289: sequence does not exist");
    sqlite3_stmt *stmt = nullptr;
    sqlite3_prepare_v2(db_,
                       "SELECT MIN_VALUE, MAX_VALUE, INCREMENT_BY, CYCLE_FLAG, NEXT_VALUE FROM "
                       "main.\"BM$SEQUENCES\" WHERE SEQUENCE_NAME = ?",
                       -1, &stmt, nullptr);
    sqlite3_bind_text(stmt, 1, name.c_str(), -1, SQLITE_TRANSIENT);
    if (sqlite3_step(stmt) != SQLITE_ROW) {
        sqlite3_finalize(stmt);
        rejected("ORA-02289: sequence does not exist");
    }
    const long long minValue = sqlite3_column_int64(stmt, 0);
    const long long maxValue = sqlite3_column_int64(stmt, 1);
    const long long increment = sqlite3_column_int64(stmt, 2);
    const bool cycle =
        std::string_view(reinterpret_cast<const char *>(sqlite3_column_text(stmt, 3))) == "Y";
    long long value = sqlite3_column_int64(stmt, 4);
    sqlite3_finalize(stmt);
    if (value > maxValue || value < minValue) {
        if (!cycle)
            rejected("ORA-08004: sequence " + name + ".NEXTVAL " +
                     (value > maxValue ? "exceeds MAXVALUE" : "goes below MINVALUE") +
                     " and cannot be instantiated");
        value = increment > 0 ? minValue : maxValue;
    }
    sqlite3_prepare_v2(db_,
                       "UPDATE main.\"BM$SEQUENCES\" SET NEXT_VALUE = ? WHERE SEQUENCE_NAME = ?",
                       -1, &stmt, nullptr);
    sqlite3_bind_int64(stmt, 1, value + increment);
    sqlite3_bind_text(stmt, 2, name.c_str(), -1, SQLITE_TRANSIENT);
    const int rc = sqlite3_step(stmt);
    sqlite3_finalize(stmt);
    if (rc != SQLITE_DONE)
        throw AppError(kErrGeneral, kSource, sqlite3_errmsg(db_));
    current_[name] = value;
    return value;
}

long long Sequences::currentValue(const std::string &name) const {
    const auto it = current_.find(name);
    if (it == current_.end())
        rejected("ORA-08002: sequence " + name + ".CURRVAL is not yet defined in this session");
    return it->second;
}

void rewriteSequenceReferences(std::vector<Token> &tokens) {
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        if (!tokens[i].is("NEXTVAL") && !tokens[i].is("CURRVAL"))
            continue;
        std::size_t dot = i;
        while (dot > 0 && tokens[dot - 1].isTrivia())
            --dot;
        if (dot == 0 || !tokens[dot - 1].isOp("."))
            continue;
        std::size_t name = dot - 1;
        while (name > 0 && tokens[name - 1].isTrivia())
            --name;
        if (name == 0 || (tokens[name - 1].kind != TokenKind::Word &&
                          tokens[name - 1].kind != TokenKind::QuotedName))
            continue;
        const Token &sequence = tokens[name - 1];
        const std::string call =
            std::string(tokens[i].is("NEXTVAL") ? "bm_nextval(" : "bm_currval(") +
            quoteString(sequenceName(sequence)) + ")";
        for (std::size_t k = name - 1; k < i; ++k)
            tokens[k] = {TokenKind::Space, ""};
        tokens[i] = {TokenKind::Word, call};
    }
}

} // namespace bm::db

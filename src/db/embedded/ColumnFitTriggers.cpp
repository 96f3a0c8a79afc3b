#include "db/embedded/ColumnFitTriggers.h"

#include "db/embedded/ColumnFit.h"
#include "sql/AppError.h"
#include "sql/SqlTokenizer.h"

#include <sqlite3.h>
#include <vector>

namespace bm::db {

namespace {

constexpr const char *kSource = "Brindlemark embedded engine";

std::string text(sqlite3_stmt *stmt, int column) {
    const auto *p = reinterpret_cast<const char *>(sqlite3_column_text(stmt, column));
    return p ? p : "";
}

void exec(sqlite3 *db, const std::string &sql) {
    char *message = nullptr;
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
        const std::string reason = message ? message : sqlite3_errmsg(db);
        sqlite3_free(message);
        throw AppError(kErrGeneral, kSource,
                       "The column type checks could not be set up: " + reason);
    }
}

std::vector<std::pair<std::string, std::string>> rows(sqlite3 *db, const std::string &sql) {
    std::vector<std::pair<std::string, std::string>> out;
    sqlite3_stmt *stmt = nullptr;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr) != SQLITE_OK)
        throw AppError(kErrGeneral, kSource, sqlite3_errmsg(db));
    while (sqlite3_step(stmt) == SQLITE_ROW)
        out.emplace_back(text(stmt, 0), text(stmt, 1));
    sqlite3_finalize(stmt);
    return out;
}

std::string triggerName(const std::string &kind, const std::string &table) {
    return quoteName("BM$FIT_" + kind + "_" + table);
}

} // namespace

void ColumnFitTriggers::refresh(long long version) {
    if (version == schemaVersion_)
        return;
    std::map<std::string, std::string> now;
    for (auto &[name, sql] :
         rows(db_, "SELECT name, sql FROM main.sqlite_master WHERE type = 'table' AND name NOT "
                   "LIKE 'sqlite!_%' ESCAPE '!' AND name NOT LIKE 'BM$%'"))
        now[name] = sql;
    for (const auto &[name, sql] : tables_)
        if (auto it = now.find(name); it == now.end() || it->second != sql)
            for (const char *kind : {"CHECK_INSERT", "FIT_INSERT", "CHECK_UPDATE", "FIT_UPDATE"})
                exec(db_, "DROP TRIGGER IF EXISTS temp." + triggerName(kind, name));
    for (const auto &[name, sql] : now)
        if (auto it = tables_.find(name); it == tables_.end() || it->second != sql)
            install(name, sql);
    tables_ = std::move(now);
    schemaVersion_ = version;
}

void ColumnFitTriggers::install(const std::string &table, const std::string &createSql) {
    const std::string target = "main." + quoteName(table);
    std::vector<std::string> checks, fits, fitWhen, columns;
    // A table without rowid cannot have a row rewritten by it: its values are only checked.
    const bool rowid = upperAscii(createSql).find("WITHOUT ROWID") == std::string::npos;
    for (const auto &[column, declared] : rows(db_, "SELECT name, type FROM pragma_table_info(" +
                                                        quoteString(table) + ", 'main')")) {
        const ColumnFitRule rule = columnFitRule(declared);
        if (rule.kind == ColumnFitRule::Kind::None)
            continue;
        const std::string path = "\"" + upperAscii(owner_) + "\".\"" + upperAscii(table) + "\".\"" +
                                 upperAscii(column) + "\"";
        const std::string name = quoteName(column);
        const auto fit = [&](const std::string &value) {
            return "BM_FIT(" + value + ", " + quoteString(declared) + ", " + quoteString(path) +
                   ")";
        };
        columns.push_back(name);
        if (rule.normalizes() && rowid) {
            fits.push_back(name + " = " + fit(name));
            fitWhen.push_back("NEW." + name + " IS NOT " + fit("NEW." + name));
        } else {
            checks.push_back(fit("NEW." + name));
        }
    }
    const auto join = [](const std::vector<std::string> &parts, const char *glue) {
        std::string out;
        for (const std::string &part : parts)
            out += (out.empty() ? "" : glue) + part;
        return out;
    };
    std::string columnList = join(columns, ", ");
    if (!checks.empty()) {
        exec(db_, "CREATE TEMP TRIGGER " + triggerName("CHECK_INSERT", table) +
                      " BEFORE INSERT ON " + target + " BEGIN SELECT " + join(checks, ", ") +
                      "; END");
        exec(db_, "CREATE TEMP TRIGGER " + triggerName("CHECK_UPDATE", table) +
                      " BEFORE UPDATE OF " + columnList + " ON " + target + " BEGIN SELECT " +
                      join(checks, ", ") + "; END");
    }
    if (!fits.empty()) {
        // The stored value is replaced by its fitted form only when the two differ. (A trigger's
        // own statements take no schema name; the file's table is the one found.)
        const std::string body = " WHEN " + join(fitWhen, " OR ") + " BEGIN UPDATE " +
                                 quoteName(table) + " SET " + join(fits, ", ") +
                                 " WHERE rowid = NEW.rowid; END";
        exec(db_, "CREATE TEMP TRIGGER " + triggerName("FIT_INSERT", table) + " AFTER INSERT ON " +
                      target + body);
        exec(db_, "CREATE TEMP TRIGGER " + triggerName("FIT_UPDATE", table) + " AFTER UPDATE OF " +
                      columnList + " ON " + target + body);
    }
}

} // namespace bm::db

#include "db/embedded/ExplainPlan.h"

#include "db/embedded/SchemaParser.h"
#include "db/embedded/SchemaVersion.h"
#include "db/embedded/SessionRegistry.h"
#include "sql/AppError.h"

#include <map>
#include <memory>
#include <optional>
#include <sqlite3.h>

namespace bm::db {

namespace {

constexpr const char *kSource = "Brindlemark embedded engine";

[[noreturn]] void rejected(const std::string &message) {
    throw AppError(kErrStatementRejected, kSource, message);
}

// One step of SQLite's plan.
struct SqliteStep {
    int id = 0;
    std::string detail;
    std::vector<std::unique_ptr<SqliteStep>> children;
};

// One step of the Oracle-style plan.
struct Step {
    std::string operation, options, objectName, objectType;
    std::vector<Step> children;
};

struct SchemaInfo {
    std::map<std::string, std::string> objects;    // upper-case name -> stored name
    std::map<std::string, std::string> kinds;      // upper-case name -> table, view, index
    std::map<std::string, std::string> indexTable; // upper-case index -> its table
    std::map<std::string, std::string> tableSql;   // upper-case table -> CREATE statement
    std::map<std::string, std::string> aliases;    // upper-case alias -> stored name
};

std::string columnText(sqlite3_stmt *stmt, int i) {
    const auto *p = reinterpret_cast<const char *>(sqlite3_column_text(stmt, i));
    return p ? p : "";
}

SchemaInfo readSchema(sqlite3 *db, const std::vector<Token> &tokens) {
    SchemaInfo info;
    std::string viewSql;
    sqlite3_stmt *stmt = nullptr;
    sqlite3_prepare_v2(db, "SELECT type, name, tbl_name, sql FROM main.sqlite_master", -1, &stmt,
                       nullptr);
    while (stmt && sqlite3_step(stmt) == SQLITE_ROW) {
        const std::string type = columnText(stmt, 0), name = columnText(stmt, 1);
        const std::string upper = upperAscii(name);
        info.objects[upper] = name;
        info.kinds[upper] = type;
        if (type == "index")
            info.indexTable[upper] = columnText(stmt, 2);
        if (type == "table")
            info.tableSql[upper] = columnText(stmt, 3);
        if (type == "view")
            viewSql += columnText(stmt, 3) + "\n";
    }
    sqlite3_finalize(stmt);
    // Aliases: a known table or view followed by [AS] a name that is not a keyword, in the
    // statement or in the views it may read (the plan names the tables inside them).
    const std::vector<Token> viewTokens = tokenize(viewSql);
    std::vector<const Token *> words;
    for (const auto *list : {&tokens, &viewTokens})
        for (const Token &t : *list)
            if (!t.isTrivia())
                words.push_back(&t);
    for (std::size_t i = 0; i + 1 < words.size(); ++i) {
        const auto known = info.objects.find(upperAscii(words[i]->text));
        if (known == info.objects.end() || info.kinds[known->first] == "index")
            continue;
        std::size_t a = i + 1;
        if (words[a]->is("AS") && a + 1 < words.size())
            ++a;
        if (words[a]->kind == TokenKind::Word && !isReservedWord(*words[a]) &&
            !words[a]->is("LEFT") && !words[a]->is("INNER") && !words[a]->is("CROSS") &&
            !words[a]->is("NATURAL") && !words[a]->is("OUTER") && !words[a]->is("FULL") &&
            !words[a]->is("RIGHT") && !words[a]->is("LIMIT"))
            info.aliases[upperAscii(words[a]->text)] = known->second;
    }
    return info;
}

std::string resolveTable(const SchemaInfo &info, const std::string &name) {
    const std::string upper = upperAscii(name);
    if (auto a = info.aliases.find(upper); a != info.aliases.end())
        return a->second;
    if (auto o = info.objects.find(upper); o != info.objects.end())
        return o->second;
    return name;
}

// An index's name as the dictionary shows it, and whether it is unique.
std::pair<std::string, bool> describeIndex(sqlite3 *db, const SchemaInfo &info,
                                           const std::string &index) {
    const std::string upper = upperAscii(index);
    const auto table = info.indexTable.find(upper);
    if (table == info.indexTable.end())
        return {index, false};
    const auto sql = info.tableSql.find(upperAscii(table->second));
    const std::string name =
        oracleIndexName(table->second, sql == info.tableSql.end() ? "" : sql->second, index);
    bool unique = false;
    sqlite3_stmt *stmt = nullptr;
    if (sqlite3_prepare_v2(db, "SELECT \"unique\" FROM pragma_index_list(?) WHERE name = ?", -1,
                           &stmt, nullptr) == SQLITE_OK) {
        sqlite3_bind_text(stmt, 1, table->second.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(stmt, 2, index.c_str(), -1, SQLITE_TRANSIENT);
        if (sqlite3_step(stmt) == SQLITE_ROW)
            unique = sqlite3_column_int(stmt, 0) != 0;
    }
    sqlite3_finalize(stmt);
    return {name, unique};
}

bool startsWith(const std::string &text, const char *prefix) {
    return text.rfind(prefix, 0) == 0;
}

std::string word(const std::string &text, std::size_t n) {
    std::size_t pos = 0;
    for (std::size_t i = 0; i < n; ++i) {
        pos = text.find(' ', pos);
        if (pos == std::string::npos)
            return {};
        ++pos;
    }
    return text.substr(pos, text.find(' ', pos) - pos);
}

class PlanBuilder {
public:
    PlanBuilder(sqlite3 *db, const SchemaInfo &info) : db_(db), info_(info) {}

    // The Oracle steps for one level of SQLite's plan (the children of one step).
    std::vector<Step> level(const std::vector<std::unique_ptr<SqliteStep>> &steps) {
        std::vector<Step> accesses, subqueries;
        bool orderBy = false, groupBy = false, distinct = false;
        for (const auto &s : steps) {
            const std::string &d = s->detail;
            if (startsWith(d, "USE TEMP B-TREE FOR")) {
                orderBy = orderBy || d.find("ORDER BY") != std::string::npos;
                groupBy = groupBy || d.find("GROUP BY") != std::string::npos;
                distinct = distinct || d.find("DISTINCT") != std::string::npos;
            } else if (d.find("SUBQUERY") != std::string::npos && !startsWith(d, "LEFT-MOST")) {
                Step sub = join(level(s->children));
                subqueries.push_back(std::move(sub));
            } else if (startsWith(d, "BLOOM FILTER")) {
                continue;
            } else {
                accesses.push_back(step(*s));
            }
        }
        Step tree = join(std::move(accesses));
        if (!subqueries.empty()) {
            Step filter{"FILTER", "", "", "", {}};
            if (!tree.operation.empty())
                filter.children.push_back(std::move(tree));
            for (Step &sub : subqueries)
                filter.children.push_back(std::move(sub));
            tree = std::move(filter);
        }
        if (groupBy)
            tree = wrap("SORT", "GROUP BY", std::move(tree));
        if (distinct)
            tree = wrap("SORT", "UNIQUE", std::move(tree));
        if (orderBy)
            tree = wrap("SORT", "ORDER BY", std::move(tree));
        std::vector<Step> result;
        if (!tree.operation.empty())
            result.push_back(std::move(tree));
        return result;
    }

private:
    static Step wrap(const char *operation, const char *options, Step child) {
        Step parent{operation, options, "", "", {}};
        if (!child.operation.empty())
            parent.children.push_back(std::move(child));
        return parent;
    }

    // Several row sources at one level are joined, first to last, by nested loops.
    static Step join(std::vector<Step> steps) {
        if (steps.empty())
            return {};
        Step tree = std::move(steps[0]);
        for (std::size_t i = 1; i < steps.size(); ++i) {
            Step loops{"NESTED LOOPS", "", "", "", {}};
            loops.children.push_back(std::move(tree));
            loops.children.push_back(std::move(steps[i]));
            tree = std::move(loops);
        }
        return tree;
    }

    Step tableAccess(const std::string &table, const char *options) {
        const std::string name = resolveTable(info_, table);
        const auto kind = info_.kinds.find(upperAscii(name));
        if (kind != info_.kinds.end() && kind->second == "view")
            return {"VIEW", "", name, "VIEW", {}};
        if (kind == info_.kinds.end())
            return {"VIEW", "", name, "", {}};
        return {"TABLE ACCESS", options, name, "TABLE", {}};
    }

    Step indexAccess(const std::string &index, bool search, const std::string &detail) {
        const auto [name, unique] = describeIndex(db_, info_, index);
        std::string options = "FULL SCAN";
        if (search) {
            // Unique scan when every key column is compared for equality.
            const auto open = detail.rfind('(');
            const std::string keys = open == std::string::npos ? "" : detail.substr(open);
            const bool ranges =
                keys.find('>') != std::string::npos || keys.find('<') != std::string::npos;
            options = unique && !ranges ? "UNIQUE SCAN" : "RANGE SCAN";
        }
        return {"INDEX", options, name, unique ? "INDEX (UNIQUE)" : "INDEX", {}};
    }

    Step step(const SqliteStep &s) {
        const std::string &d = s.detail;
        const bool scan = startsWith(d, "SCAN "), search = startsWith(d, "SEARCH ");
        if (d == "SCAN CONSTANT ROW" || (scan && d.find("CONSTANT ROWS") != std::string::npos))
            return {"FAST DUAL", "", "", "", {}};
        if (scan || search) {
            const std::string table = word(d, 1);
            const auto covering = d.find(" USING COVERING INDEX ");
            const auto byIndex = d.find(" USING INDEX ");
            if (covering != std::string::npos)
                return indexAccess(word(d.substr(covering + 1), 3), search, d);
            if (byIndex != std::string::npos) {
                Step access = tableAccess(table, "BY INDEX ROWID");
                access.children.push_back(indexAccess(word(d.substr(byIndex + 1), 2), search, d));
                return access;
            }
            if (d.find("INTEGER PRIMARY KEY") != std::string::npos)
                return tableAccess(table, "BY ROWID");
            Step access = tableAccess(table, "FULL");
            for (Step &child : level(s.children))
                access.children.push_back(std::move(child));
            return access;
        }
        if (startsWith(d, "CO-ROUTINE ") || startsWith(d, "MATERIALIZE ")) {
            Step view{"VIEW", "", word(d, 1), "", level(s.children)};
            return view;
        }
        if (d == "COMPOUND QUERY") {
            Step compound{"UNION-ALL", "", "", "", {}};
            bool distinctUnion = false;
            for (const auto &part : s.children) {
                const std::string &pd = part->detail;
                if (startsWith(pd, "UNION USING"))
                    distinctUnion = true;
                else if (startsWith(pd, "INTERSECT"))
                    compound.operation = "INTERSECTION";
                else if (startsWith(pd, "EXCEPT"))
                    compound.operation = "MINUS";
                for (Step &child : level(part->children))
                    compound.children.push_back(std::move(child));
            }
            return distinctUnion ? wrap("SORT", "UNIQUE", std::move(compound)) : compound;
        }
        if (d == "MULTI-INDEX OR") {
            Step concatenation{"CONCATENATION", "", "", "", {}};
            for (const auto &part : s.children)
                for (Step &child : level(part->children))
                    concatenation.children.push_back(std::move(child));
            return concatenation;
        }
        // Any other step keeps SQLite's own wording, upper case, within the column's width.
        Step other{upperAscii(d).substr(0, 30), "", "", "", level(s.children)};
        return other;
    }

    sqlite3 *db_;
    const SchemaInfo &info_;
};

struct PlanRow {
    int id, parentId, position;
    const Step *step;
};

void number(const Step &step, int parentId, int position, std::vector<PlanRow> &rows) {
    const int id = static_cast<int>(rows.size());
    rows.push_back({id, parentId, position, &step});
    int childPosition = 0;
    for (const Step &child : step.children)
        number(child, id, ++childPosition, rows);
}

bool tableExists(sqlite3 *db, const std::string &name) {
    sqlite3_stmt *stmt = nullptr;
    bool exists = false;
    if (sqlite3_prepare_v2(db,
                           "SELECT 1 FROM main.sqlite_master WHERE type = 'table' AND name = ? "
                           "COLLATE NOCASE UNION ALL SELECT 1 FROM temp.sqlite_master WHERE "
                           "type = 'table' AND name = ? COLLATE NOCASE",
                           -1, &stmt, nullptr) == SQLITE_OK) {
        sqlite3_bind_text(stmt, 1, name.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(stmt, 2, name.c_str(), -1, SQLITE_TRANSIENT);
        exists = sqlite3_step(stmt) == SQLITE_ROW;
    }
    sqlite3_finalize(stmt);
    return exists;
}

} // namespace

bool isExplainPlan(const std::vector<Token> &tokens) {
    std::vector<const Token *> first;
    for (const Token &t : tokens) {
        if (!t.isTrivia())
            first.push_back(&t);
        if (first.size() == 2)
            break;
    }
    return first.size() == 2 && first[0]->is("EXPLAIN") && first[1]->is("PLAN");
}

int explainPlan(sqlite3 *db, const std::vector<Token> &tokens, const DialectContext &context) {
    std::vector<std::size_t> at;
    for (std::size_t i = 0; i < tokens.size(); ++i)
        if (!tokens[i].isTrivia())
            at.push_back(i);
    std::size_t k = 2;
    std::optional<std::string> statementId;
    std::string table = "PLAN_TABLE";
    bool into = false;
    if (k + 3 < at.size() && tokens[at[k]].is("SET") && tokens[at[k + 1]].is("STATEMENT_ID") &&
        tokens[at[k + 2]].isOp("=") && tokens[at[k + 3]].kind == TokenKind::String) {
        statementId = unquote(tokens[at[k + 3]]);
        k += 4;
    }
    if (k + 1 < at.size() && tokens[at[k]].is("INTO")) {
        table = unquote(tokens[at[k + 1]]);
        into = true;
        k += 2;
    }
    if (k >= at.size() || !tokens[at[k]].is("FOR"))
        rejected("ORA-00905: missing keyword");
    if (!tableExists(db, table))
        rejected(into ? "ORA-02404: specified plan table not found"
                      : "ORA-02402: PLAN_TABLE not found");

    const std::vector<Token> inner(tokens.begin() + static_cast<std::ptrdiff_t>(at[k]) + 1,
                                   tokens.end());
    std::string kind = "SELECT";
    std::string target;
    for (std::size_t i = 0; i < inner.size(); ++i) {
        if (inner[i].isTrivia() || inner[i].isOp("("))
            continue;
        kind = upperAscii(inner[i].text);
        if (kind == "WITH")
            kind = "SELECT";
        // The changed table of INSERT INTO t, UPDATE t, DELETE [FROM] t.
        for (std::size_t j = i + 1; j < inner.size(); ++j) {
            if (inner[j].isTrivia() || inner[j].is("INTO") || inner[j].is("FROM"))
                continue;
            target = unquote(inner[j]);
            break;
        }
        break;
    }

    sqlite3_stmt *stmt = nullptr;
    const std::string translated = translateStatement(inner, context);
    if (sqlite3_prepare_v2(db, ("EXPLAIN QUERY PLAN " + translated).c_str(), -1, &stmt, nullptr) !=
        SQLITE_OK) {
        const std::string message = sqlite3_errmsg(db);
        sqlite3_finalize(stmt);
        rejected(message);
    }
    SqliteStep root;
    std::map<int, SqliteStep *> byId{{0, &root}};
    while (sqlite3_step(stmt) == SQLITE_ROW) {
        auto step = std::make_unique<SqliteStep>();
        step->id = sqlite3_column_int(stmt, 0);
        step->detail = columnText(stmt, 3);
        SqliteStep *parent =
            byId.count(sqlite3_column_int(stmt, 1)) ? byId[sqlite3_column_int(stmt, 1)] : &root;
        byId[step->id] = step.get();
        parent->children.push_back(std::move(step));
    }
    sqlite3_finalize(stmt);

    const SchemaInfo info = readSchema(db, inner);
    PlanBuilder builder(db, info);
    Step top{kind + " STATEMENT", "", "", "", builder.level(root.children)};
    if (kind == "UPDATE" || kind == "DELETE" || kind == "INSERT") {
        Step change{kind == "INSERT" ? "LOAD TABLE CONVENTIONAL" : kind, "",
                    resolveTable(info, target), "", std::move(top.children)};
        top.children.clear();
        top.children.push_back(std::move(change));
    }
    std::vector<PlanRow> rows;
    number(top, -1, 0, rows);

    const std::string insert =
        "INSERT INTO " + quoteName(table) +
        " (statement_id, timestamp, operation, options, object_owner, object_name, object_type, "
        "optimizer, id, parent_id, position, cost, cardinality) VALUES "
        "(?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, NULL, NULL)";
    if (sqlite3_prepare_v2(db, insert.c_str(), -1, &stmt, nullptr) != SQLITE_OK) {
        sqlite3_finalize(stmt);
        rejected("ORA-02403: plan table does not have correct format");
    }
    const std::string now = currentDateTime();
    auto bindText = [&](int i, const std::string &v) {
        if (v.empty())
            sqlite3_bind_null(stmt, i);
        else
            sqlite3_bind_text(stmt, i, v.c_str(), -1, SQLITE_TRANSIENT);
    };
    sqlite3_exec(db, "SAVEPOINT bm_explain", nullptr, nullptr, nullptr);
    for (const PlanRow &row : rows) {
        const Step &s = *row.step;
        statementId ? bindText(1, *statementId) : (void)sqlite3_bind_null(stmt, 1);
        bindText(2, now);
        bindText(3, s.operation);
        bindText(4, s.options);
        bindText(5, s.objectName.empty() ? "" : upperAscii(context.userName));
        bindText(6, s.objectName);
        bindText(7, s.objectType);
        bindText(8, row.id == 0 ? "ALL_ROWS" : "");
        sqlite3_bind_int(stmt, 9, row.id);
        row.parentId < 0 ? sqlite3_bind_null(stmt, 10) : sqlite3_bind_int(stmt, 10, row.parentId);
        row.id == 0 ? sqlite3_bind_null(stmt, 11) : sqlite3_bind_int(stmt, 11, row.position);
        if (sqlite3_step(stmt) != SQLITE_DONE) {
            const std::string message = sqlite3_errmsg(db);
            sqlite3_finalize(stmt);
            sqlite3_exec(db, "ROLLBACK TO bm_explain; RELEASE bm_explain", nullptr, nullptr,
                         nullptr);
            rejected(message);
        }
        sqlite3_reset(stmt);
    }
    sqlite3_finalize(stmt);
    sqlite3_exec(db, "RELEASE bm_explain", nullptr, nullptr, nullptr);
    return static_cast<int>(rows.size());
}

void providePlanTable(sqlite3 *db) {
    const bool exists = mainTableExists(db, "PLAN_TABLE");
    // One in the file is used, unless the file cannot be written.
    if (exists && sqlite3_db_readonly(db, "main") != 1)
        return;
    sqlite3_exec(db,
                 "CREATE TEMP TABLE IF NOT EXISTS PLAN_TABLE (STATEMENT_ID VARCHAR2(30), "
                 "TIMESTAMP DATE, REMARKS VARCHAR2(80), OPERATION VARCHAR2(30), OPTIONS "
                 "VARCHAR2(30), OBJECT_NODE VARCHAR2(128), OBJECT_OWNER VARCHAR2(30), "
                 "OBJECT_NAME VARCHAR2(30), OBJECT_INSTANCE NUMERIC, OBJECT_TYPE VARCHAR2(30), "
                 "OPTIMIZER VARCHAR2(255), SEARCH_COLUMNS NUMBER, ID NUMERIC, PARENT_ID NUMERIC, "
                 "POSITION NUMERIC, COST NUMERIC, CARDINALITY NUMERIC, BYTES NUMERIC, OTHER_TAG "
                 "VARCHAR2(255), PARTITION_START VARCHAR2(255), PARTITION_STOP VARCHAR2(255), "
                 "PARTITION_ID NUMERIC, OTHER LONG, DISTRIBUTION VARCHAR2(30))",
                 nullptr, nullptr, nullptr);
}

} // namespace bm::db

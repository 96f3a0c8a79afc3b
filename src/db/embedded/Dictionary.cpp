#include "db/embedded/Dictionary.h"

#include "db/embedded/FunctionGuard.h"
#include "db/embedded/SchemaParser.h"
#include "db/embedded/SchemaVersion.h"
#include "db/embedded/SessionRegistry.h"
#include "sql/AppError.h"

#include <cerrno>
#include <cstdio>
#include <map>
#include <optional>
#include <pwd.h>
#include <sqlite3.h>
#include <unistd.h>

namespace bm::db {

namespace {

using Value = std::optional<std::string>;

// The engine's own tables (SQLite's, and BM$ ones such as the sequences) are no user's objects.
constexpr const char *kUserObject =
    "m.name NOT LIKE 'sqlite!_%' ESCAPE '!' AND m.name NOT LIKE 'BM$%'";

void run(sqlite3 *db, const std::string &sql) {
    char *message = nullptr;
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
        const std::string reason = message ? message : "unknown error";
        sqlite3_free(message);
        throw AppError(kErrGeneral, "Brindlemark embedded engine",
                       "The data dictionary could not be prepared: " + reason);
    }
}

// Inserts rows of text or null into one table; the column types convert numbers.
class RowWriter {
public:
    RowWriter(sqlite3 *db, const std::string &table, int columns) : db_(db) {
        std::string sql = "INSERT INTO temp." + table + " VALUES (";
        for (int i = 0; i < columns; ++i)
            sql += i ? ",?" : "?";
        sqlite3_prepare_v2(db, (sql + ")").c_str(), -1, &stmt_, nullptr);
    }
    ~RowWriter() { sqlite3_finalize(stmt_); }
    void write(const std::vector<Value> &values) {
        for (std::size_t i = 0; i < values.size(); ++i) {
            if (values[i])
                sqlite3_bind_text(stmt_, static_cast<int>(i + 1), values[i]->c_str(), -1,
                                  SQLITE_TRANSIENT);
            else
                sqlite3_bind_null(stmt_, static_cast<int>(i + 1));
        }
        sqlite3_step(stmt_);
        sqlite3_reset(stmt_);
    }

private:
    sqlite3 *db_;
    sqlite3_stmt *stmt_ = nullptr;
};

struct SchemaObject {
    std::string type, name, table, sql;
};

std::vector<SchemaObject> schemaObjects(sqlite3 *db) {
    std::vector<SchemaObject> objects;
    sqlite3_stmt *stmt = nullptr;
    sqlite3_prepare_v2(db,
                       "SELECT type, name, tbl_name, sql FROM main.sqlite_master WHERE name NOT "
                       "LIKE 'sqlite!_%' ESCAPE '!' ORDER BY rowid",
                       -1, &stmt, nullptr);
    while (stmt && sqlite3_step(stmt) == SQLITE_ROW) {
        auto text = [&](int i) {
            const auto *p = reinterpret_cast<const char *>(sqlite3_column_text(stmt, i));
            return std::string(p ? p : "");
        };
        objects.push_back({text(0), text(1), text(2), text(3)});
    }
    sqlite3_finalize(stmt);
    return objects;
}

bool sameNames(const std::vector<std::string> &a, const std::vector<std::string> &b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (upperAscii(a[i]) != upperAscii(b[i]))
            return false;
    return true;
}

std::string osUser() {
    if (const passwd *pw = getpwuid(getuid()))
        return pw->pw_name;
    return "unknown";
}

std::string hostName() {
    char name[256] = {};
    gethostname(name, sizeof name - 1);
    return name;
}

std::string address(int sid) {
    char text[32];
    std::snprintf(text, sizeof text, "%016llX", 0x00007F5A00001000ULL + 0x100ULL * sid);
    return text;
}

std::string textFunctionArg(sqlite3_value *v) {
    const auto *p = reinterpret_cast<const char *>(sqlite3_value_text(v));
    return p ? p : "";
}

void viewTextFunction(sqlite3_context *ctx, int, sqlite3_value **argv) {
    const std::string text = viewQueryText(textFunctionArg(argv[0]));
    sqlite3_result_text(ctx, text.c_str(), -1, SQLITE_TRANSIENT);
}

void indexNameFunction(sqlite3_context *ctx, int, sqlite3_value **argv) {
    const std::string name = oracleIndexName(textFunctionArg(argv[0]), textFunctionArg(argv[1]),
                                             textFunctionArg(argv[2]));
    sqlite3_result_text(ctx, name.c_str(), -1, SQLITE_TRANSIENT);
}

const char *const kDictionaryRows[][2] = {
    {"DICTIONARY", "Description of data dictionary tables and views"},
    {"DICT", "Synonym for DICTIONARY"},
    {"DUAL", ""},
    {"USER_CONSTRAINTS", "Constraint definitions on user's own tables"},
    {"USER_CONS_COLUMNS", "Information about accessible columns in constraint definitions"},
    {"USER_INDEXES", "Description of the user's own indexes"},
    {"USER_IND_COLUMNS", "COLUMNs comprising user's INDEXes and INDEXes on user's TABLES"},
    {"USER_OBJECTS", "Objects owned by the user"},
    {"USER_SEQUENCES", "Description of the user's own SEQUENCEs"},
    {"USER_TABLES", "Description of the user's own relational tables"},
    {"USER_TAB_COLUMNS", "Columns of user's tables, views and clusters"},
    {"USER_TRIGGERS", "Triggers owned by the user"},
    {"USER_VIEWS", "Description of the user's own views"},
    {"V$PROCESS", "V$PROCESS displays information about the currently active processes"},
    {"V$SESSION", "V$SESSION displays session information for each current session"},
};

} // namespace

Dictionary::Dictionary(sqlite3 *db, std::string userName, int sid)
    : db_(db), owner_(upperAscii(userName)), sid_(sid) {}

void Dictionary::install() {
    sqlite3_create_function(db_, "BM_VIEW_TEXT", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr,
                            guarded<viewTextFunction>, nullptr, nullptr);
    sqlite3_create_function(db_, "BM_INDEX_NAME", 3, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr,
                            guarded<indexNameFunction>, nullptr, nullptr);
    const std::string owner = quoteString(owner_);
    const std::string user = std::string(" AND ") + kUserObject;
    const std::string indexName = "BM_INDEX_NAME(m.name, m.sql, il.name)";

    run(db_, "CREATE TEMP TABLE DUAL (DUMMY VARCHAR2(1)); INSERT INTO temp.DUAL VALUES ('X');");

    run(db_,
        "CREATE TEMP VIEW USER_TABLES AS SELECT m.name AS TABLE_NAME, 'USERS' AS TABLESPACE_NAME, "
        "NULL AS CLUSTER_NAME, NULL AS IOT_NAME, 'VALID' AS STATUS, 10 AS PCT_FREE, "
        "NULL AS PCT_USED, 1 AS INI_TRANS, 255 AS MAX_TRANS, 65536 AS INITIAL_EXTENT, "
        "1048576 AS NEXT_EXTENT, 1 AS MIN_EXTENTS, 2147483645 AS MAX_EXTENTS, "
        "NULL AS PCT_INCREASE, 1 AS FREELISTS, 1 AS FREELIST_GROUPS, 'YES' AS LOGGING, "
        "'N' AS BACKED_UP, NULL AS NUM_ROWS, NULL AS BLOCKS, NULL AS EMPTY_BLOCKS, "
        "NULL AS AVG_SPACE, NULL AS CHAIN_CNT, NULL AS AVG_ROW_LEN, "
        "NULL AS AVG_SPACE_FREELIST_BLOCKS, NULL AS NUM_FREELIST_BLOCKS, "
        "'         1' AS DEGREE, '         1' AS INSTANCES, '    N' AS CACHE, "
        "'ENABLED' AS TABLE_LOCK, NULL AS SAMPLE_SIZE, NULL AS LAST_ANALYZED, "
        "'NO' AS PARTITIONED, NULL AS IOT_TYPE, 'N' AS TEMPORARY, 'N' AS SECONDARY, "
        "'NO' AS NESTED, 'DEFAULT' AS BUFFER_POOL, 'DISABLED' AS ROW_MOVEMENT, "
        "'NO' AS GLOBAL_STATS, 'NO' AS USER_STATS, NULL AS DURATION, "
        "'DISABLED' AS SKIP_CORRUPT, 'YES' AS MONITORING, NULL AS CLUSTER_OWNER, "
        "'DISABLED' AS DEPENDENCIES, 'DISABLED' AS COMPRESSION, 'NO' AS DROPPED "
        "FROM main.sqlite_master m WHERE m.type = 'table'" +
            user);

    run(db_, "CREATE TEMP VIEW USER_VIEWS AS SELECT m.name AS VIEW_NAME, "
             "length(BM_VIEW_TEXT(m.sql)) AS TEXT_LENGTH, BM_VIEW_TEXT(m.sql) AS TEXT, "
             "NULL AS TYPE_TEXT_LENGTH, NULL AS TYPE_TEXT, NULL AS OID_TEXT_LENGTH, "
             "NULL AS OID_TEXT, NULL AS VIEW_TYPE_OWNER, NULL AS VIEW_TYPE, "
             "NULL AS SUPERVIEW_NAME FROM main.sqlite_master m WHERE m.type = 'view'" +
                 user);

    run(db_, "CREATE TEMP VIEW USER_TAB_COLUMNS AS SELECT m.name AS TABLE_NAME, "
             "c.name AS COLUMN_NAME, BM_DATA_TYPE(c.type) AS DATA_TYPE, NULL AS DATA_TYPE_MOD, "
             "NULL AS DATA_TYPE_OWNER, BM_DATA_LENGTH(c.type) AS DATA_LENGTH, "
             "BM_DATA_PRECISION(c.type) AS DATA_PRECISION, BM_DATA_SCALE(c.type) AS DATA_SCALE, "
             "CASE WHEN c.\"notnull\" OR c.pk THEN 'N' ELSE 'Y' END AS NULLABLE, "
             "c.cid + 1 AS COLUMN_ID, length(c.dflt_value) AS DEFAULT_LENGTH, "
             "c.dflt_value AS DATA_DEFAULT, NULL AS NUM_DISTINCT, NULL AS LOW_VALUE, "
             "NULL AS HIGH_VALUE, NULL AS DENSITY, NULL AS NUM_NULLS, NULL AS NUM_BUCKETS, "
             "NULL AS LAST_ANALYZED, NULL AS SAMPLE_SIZE, "
             "CASE WHEN BM_CHAR_USED(c.type) IS NOT NULL THEN 'CHAR_CS' END AS CHARACTER_SET_NAME, "
             "CASE WHEN BM_CHAR_USED(c.type) IS NOT NULL THEN BM_CHAR_LENGTH(c.type) END "
             "AS CHAR_COL_DECL_LENGTH, 'NO' AS GLOBAL_STATS, 'NO' AS USER_STATS, "
             "NULL AS AVG_COL_LEN, BM_CHAR_LENGTH(c.type) AS CHAR_LENGTH, "
             "BM_CHAR_USED(c.type) AS CHAR_USED, 'NO' AS V80_FMT_IMAGE, 'YES' AS DATA_UPGRADED, "
             "NULL AS HISTOGRAM FROM main.sqlite_master m JOIN pragma_table_info(m.name) c "
             "WHERE m.type IN ('table', 'view')" +
                 user);

    run(db_, "CREATE TEMP VIEW USER_INDEXES AS SELECT " + indexName +
                 " AS INDEX_NAME, 'NORMAL' AS INDEX_TYPE, " + owner +
                 " AS TABLE_OWNER, m.name AS TABLE_NAME, 'TABLE' AS TABLE_TYPE, "
                 "CASE WHEN il.\"unique\" THEN 'UNIQUE' ELSE 'NONUNIQUE' END AS UNIQUENESS, "
                 "'DISABLED' AS COMPRESSION, NULL AS PREFIX_LENGTH, 'USERS' AS TABLESPACE_NAME, "
                 "2 AS INI_TRANS, 255 AS MAX_TRANS, 65536 AS INITIAL_EXTENT, "
                 "1048576 AS NEXT_EXTENT, 1 AS MIN_EXTENTS, 2147483645 AS MAX_EXTENTS, "
                 "NULL AS PCT_INCREASE, NULL AS PCT_THRESHOLD, NULL AS INCLUDE_COLUMN, "
                 "1 AS FREELISTS, 1 AS FREELIST_GROUPS, 10 AS PCT_FREE, 'YES' AS LOGGING, "
                 "NULL AS BLEVEL, NULL AS LEAF_BLOCKS, NULL AS DISTINCT_KEYS, "
                 "NULL AS AVG_LEAF_BLOCKS_PER_KEY, NULL AS AVG_DATA_BLOCKS_PER_KEY, "
                 "NULL AS CLUSTERING_FACTOR, 'VALID' AS STATUS, NULL AS NUM_ROWS, "
                 "NULL AS SAMPLE_SIZE, NULL AS LAST_ANALYZED, '1' AS DEGREE, '1' AS INSTANCES, "
                 "'NO' AS PARTITIONED, 'N' AS TEMPORARY, CASE WHEN " +
                 indexName +
                 " LIKE 'SYS!_C%' ESCAPE '!' THEN 'Y' ELSE 'N' END AS GENERATED, "
                 "'N' AS SECONDARY, 'DEFAULT' AS BUFFER_POOL, 'NO' AS USER_STATS, "
                 "NULL AS DURATION, NULL AS PCT_DIRECT_ACCESS, NULL AS ITYP_OWNER, "
                 "NULL AS ITYP_NAME, NULL AS PARAMETERS, 'NO' AS GLOBAL_STATS, "
                 "NULL AS DOMIDX_STATUS, NULL AS DOMIDX_OPSTATUS, NULL AS FUNCIDX_STATUS, "
                 "'NO' AS JOIN_INDEX, 'NO' AS IOT_REDUNDANT_PKEY_ELIM, 'NO' AS DROPPED "
                 "FROM main.sqlite_master m JOIN pragma_index_list(m.name) il "
                 "WHERE m.type = 'table'" +
                 user);

    run(db_, "CREATE TEMP VIEW USER_IND_COLUMNS AS SELECT " + indexName +
                 " AS INDEX_NAME, m.name AS TABLE_NAME, ix.name AS COLUMN_NAME, "
                 "ix.seqno + 1 AS COLUMN_POSITION, BM_DATA_LENGTH(tc.type) AS COLUMN_LENGTH, "
                 "BM_CHAR_LENGTH(tc.type) AS CHAR_LENGTH, "
                 "CASE WHEN ix.\"desc\" THEN 'DESC' ELSE 'ASC' END AS DESCEND "
                 "FROM main.sqlite_master m JOIN pragma_index_list(m.name) il "
                 "JOIN pragma_index_xinfo(il.name) ix "
                 "LEFT JOIN pragma_table_info(m.name) tc ON tc.cid = ix.cid "
                 "WHERE m.type = 'table' AND ix.key = 1" +
                 user);

    run(db_, "CREATE TEMP VIEW USER_OBJECTS AS SELECT CASE WHEN m.type = 'index' THEN "
             "BM_INDEX_NAME(m.tbl_name, t.sql, m.name) ELSE m.name END AS OBJECT_NAME, "
             "NULL AS SUBOBJECT_NAME, m.rowid AS OBJECT_ID, "
             "CASE WHEN m.rootpage > 0 THEN m.rootpage END AS DATA_OBJECT_ID, "
             "upper(m.type) AS OBJECT_TYPE, NULL AS CREATED, NULL AS LAST_DDL_TIME, "
             "NULL AS TIMESTAMP, 'VALID' AS STATUS, 'N' AS TEMPORARY, "
             "CASE WHEN m.type = 'index' AND BM_INDEX_NAME(m.tbl_name, t.sql, m.name) "
             "LIKE 'SYS!_C%' ESCAPE '!' THEN 'Y' ELSE 'N' END AS GENERATED, 'N' AS SECONDARY "
             "FROM main.sqlite_master m LEFT JOIN main.sqlite_master t "
             "ON t.type = 'table' AND t.name = m.tbl_name "
             "WHERE m.type IN ('table', 'view', 'index', 'trigger') "
             "AND m.tbl_name NOT LIKE 'sqlite!_%' ESCAPE '!'");

    run(db_, "CREATE TEMP TABLE USER_CONSTRAINTS (OWNER VARCHAR2(30), "
             "CONSTRAINT_NAME VARCHAR2(30), CONSTRAINT_TYPE VARCHAR2(1), TABLE_NAME VARCHAR2(30), "
             "SEARCH_CONDITION LONG, R_OWNER VARCHAR2(30), R_CONSTRAINT_NAME VARCHAR2(30), "
             "DELETE_RULE VARCHAR2(9), STATUS VARCHAR2(8), \"DEFERRABLE\" VARCHAR2(14), "
             "\"DEFERRED\" VARCHAR2(9), VALIDATED VARCHAR2(13), GENERATED VARCHAR2(14), "
             "BAD VARCHAR2(3), RELY VARCHAR2(4), LAST_CHANGE DATE, INDEX_OWNER VARCHAR2(30), "
             "INDEX_NAME VARCHAR2(30), INVALID VARCHAR2(7), VIEW_RELATED VARCHAR2(14))");
    run(db_, "CREATE TEMP TABLE USER_CONS_COLUMNS (OWNER VARCHAR2(30), "
             "CONSTRAINT_NAME VARCHAR2(30), TABLE_NAME VARCHAR2(30), "
             "COLUMN_NAME VARCHAR2(4000), POSITION NUMBER)");
    run(db_, "CREATE TEMP TABLE USER_TRIGGERS (TRIGGER_NAME VARCHAR2(30), "
             "TRIGGER_TYPE VARCHAR2(16), TRIGGERING_EVENT VARCHAR2(227), "
             "TABLE_OWNER VARCHAR2(30), BASE_OBJECT_TYPE VARCHAR2(16), TABLE_NAME VARCHAR2(30), "
             "COLUMN_NAME VARCHAR2(4000), REFERENCING_NAMES VARCHAR2(128), "
             "WHEN_CLAUSE VARCHAR2(4000), STATUS VARCHAR2(8), DESCRIPTION VARCHAR2(4000), "
             "ACTION_TYPE VARCHAR2(11), TRIGGER_BODY LONG)");

    run(db_, "CREATE TEMP TABLE \"V$SESSION\" (SADDR RAW(8), SID NUMBER, \"SERIAL#\" NUMBER, "
             "AUDSID NUMBER, PADDR RAW(8), \"USER#\" NUMBER, USERNAME VARCHAR2(30), "
             "COMMAND NUMBER, OWNERID NUMBER, TADDR VARCHAR2(8), LOCKWAIT VARCHAR2(8), "
             "STATUS VARCHAR2(8), SERVER VARCHAR2(9), \"SCHEMA#\" NUMBER, "
             "SCHEMANAME VARCHAR2(30), OSUSER VARCHAR2(30), PROCESS VARCHAR2(24), "
             "MACHINE VARCHAR2(64), TERMINAL VARCHAR2(30), PROGRAM VARCHAR2(48), "
             "TYPE VARCHAR2(10), SQL_ADDRESS RAW(8), SQL_HASH_VALUE NUMBER, "
             "SQL_ID VARCHAR2(13), SQL_CHILD_NUMBER NUMBER, PREV_SQL_ADDR RAW(8), "
             "PREV_HASH_VALUE NUMBER, PREV_SQL_ID VARCHAR2(13), PREV_CHILD_NUMBER NUMBER, "
             "MODULE VARCHAR2(48), MODULE_HASH NUMBER, ACTION VARCHAR2(32), "
             "ACTION_HASH NUMBER, CLIENT_INFO VARCHAR2(64), LOGON_TIME DATE, "
             "LAST_CALL_ET NUMBER)");
    run(db_, "CREATE TEMP TABLE \"V$PROCESS\" (ADDR RAW(8), PID NUMBER, SPID VARCHAR2(24), "
             "USERNAME VARCHAR2(15), \"SERIAL#\" NUMBER, TERMINAL VARCHAR2(30), "
             "PROGRAM VARCHAR2(48), TRACEID VARCHAR2(255), TRACEFILE VARCHAR2(513), "
             "BACKGROUND VARCHAR2(1), LATCHWAIT VARCHAR2(8), LATCHSPIN VARCHAR2(8), "
             "PGA_USED_MEM NUMBER, PGA_ALLOC_MEM NUMBER, PGA_FREEABLE_MEM NUMBER, "
             "PGA_MAX_MEM NUMBER)");

    run(db_, "CREATE TEMP TABLE DICTIONARY (TABLE_NAME VARCHAR2(30), COMMENTS VARCHAR2(4000)); "
             "CREATE TEMP VIEW DICT AS SELECT * FROM temp.DICTIONARY;");
    RowWriter dictionary(db_, "DICTIONARY", 2);
    for (const auto &row : kDictionaryRows)
        dictionary.write({std::string(row[0]), std::string(row[1])});
}

void Dictionary::refreshFor(const std::vector<Token> &tokens) {
    bool parsed = false, sessions = false;
    for (const Token &t : tokens) {
        if (t.kind != TokenKind::Word && t.kind != TokenKind::QuotedName)
            continue;
        const std::string name = upperAscii(unquote(t));
        parsed = parsed || name == "USER_CONSTRAINTS" || name == "USER_CONS_COLUMNS" ||
                 name == "USER_TRIGGERS";
        sessions = sessions || name == "V$SESSION" || name == "V$PROCESS";
    }
    if (parsed)
        refreshParsed();
    if (sessions)
        refreshSessions();
}

void Dictionary::refreshParsed() {
    const long long version = mainSchemaVersion(db_);
    if (version == parsedSchemaVersion_)
        return;

    run(db_, "SAVEPOINT bm_dictionary; DELETE FROM temp.USER_CONSTRAINTS; "
             "DELETE FROM temp.USER_CONS_COLUMNS; DELETE FROM temp.USER_TRIGGERS;");
    const std::vector<SchemaObject> objects = schemaObjects(db_);
    std::map<std::string, std::vector<ParsedConstraint>> byTable;
    std::map<std::string, std::string> kinds; // upper-case name -> type
    for (const SchemaObject &o : objects) {
        kinds[upperAscii(o.name)] = o.type;
        if (o.type == "table")
            byTable[upperAscii(o.name)] = parseConstraints(o.name, o.sql);
    }
    RowWriter constraints(db_, "USER_CONSTRAINTS", 20);
    RowWriter columns(db_, "USER_CONS_COLUMNS", 5);
    for (const SchemaObject &o : objects) {
        if (o.type != "table")
            continue;
        for (const ParsedConstraint &c : byTable[upperAscii(o.name)]) {
            Value rOwner, rName, deleteRule, indexName;
            if (c.type == 'R') {
                deleteRule = c.deleteRule;
                for (const ParsedConstraint &k : byTable[upperAscii(c.refTable)]) {
                    if ((k.type == 'P' &&
                         (c.refColumns.empty() || sameNames(k.columns, c.refColumns))) ||
                        (k.type == 'U' && sameNames(k.columns, c.refColumns))) {
                        rOwner = owner_;
                        rName = k.name;
                        break;
                    }
                }
            }
            if (c.type == 'P' || c.type == 'U')
                indexName = c.name;
            constraints.write({owner_,
                               c.name,
                               std::string(1, c.type),
                               o.name,
                               c.type == 'C' ? Value(c.condition) : Value(),
                               rOwner,
                               rName,
                               deleteRule,
                               std::string("ENABLED"),
                               std::string("NOT DEFERRABLE"),
                               std::string("IMMEDIATE"),
                               std::string("VALIDATED"),
                               std::string(c.generated ? "GENERATED NAME" : "USER NAME"),
                               Value(),
                               Value(),
                               Value(),
                               indexName ? Value(owner_) : Value(),
                               indexName,
                               Value(),
                               Value()});
            for (std::size_t k = 0; k < c.columns.size(); ++k)
                columns.write({owner_, c.name, o.name, c.columns[k],
                               c.type == 'C' ? Value() : Value(std::to_string(k + 1))});
        }
    }
    RowWriter triggers(db_, "USER_TRIGGERS", 13);
    for (const SchemaObject &o : objects) {
        if (o.type != "trigger")
            continue;
        const ParsedTrigger t = parseTrigger(o.sql);
        triggers.write({o.name, t.type, t.event, owner_,
                        std::string(kinds[upperAscii(o.table)] == "view" ? "VIEW" : "TABLE"),
                        o.table, Value(), std::string("REFERENCING NEW AS NEW OLD AS OLD"),
                        t.whenClause.empty() ? Value() : Value(t.whenClause),
                        std::string("ENABLED"), t.description, std::string("PL/SQL"), t.body});
    }
    run(db_, "RELEASE bm_dictionary;");
    parsedSchemaVersion_ = version;
}

void Dictionary::refreshSessions() {
    run(db_, "SAVEPOINT bm_sessions; DELETE FROM temp.\"V$SESSION\"; "
             "DELETE FROM temp.\"V$PROCESS\";");
    RowWriter session(db_, "\"V$SESSION\"", 36);
    RowWriter process(db_, "\"V$PROCESS\"", 16);
    const std::string pid = std::to_string(getpid());
    const std::string user = osUser(), machine = hostName();
    const std::string program = program_invocation_short_name;
    for (const SessionInfo &s : openSessions()) {
        const std::string addr = address(s.sid);
        std::vector<Value> row(36);
        row[0] = address(s.sid + 0x4000);
        row[1] = std::to_string(s.sid);
        row[2] = std::to_string(s.serial);
        row[3] = std::to_string(s.sid);
        row[4] = addr;
        row[5] = "0";
        row[6] = s.userName;
        row[7] = s.sid == sid_ ? "3" : "0";
        row[11] = s.sid == sid_ ? "ACTIVE" : "INACTIVE";
        row[12] = "DEDICATED";
        row[14] = s.userName;
        row[15] = user;
        row[16] = pid;
        row[17] = machine;
        row[18] = "pts";
        row[19] = program;
        row[20] = "USER";
        row[29] = program;
        row[34] = s.logonTime;
        row[35] = "0";
        session.write(row);
        std::vector<Value> proc(16);
        proc[0] = addr;
        proc[1] = std::to_string(s.sid + 1);
        proc[2] = pid;
        proc[3] = user;
        proc[4] = "1";
        proc[6] = program + "@" + machine;
        process.write(proc);
    }
    run(db_, "RELEASE bm_sessions;");
}

} // namespace bm::db

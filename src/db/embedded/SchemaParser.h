#pragma once

// Reads what the dictionary needs from the CREATE statements SQLite keeps: constraints with their
// names, triggers, view texts, and the names Oracle would give the indexes behind keys.

#include <string>
#include <vector>

namespace bm::db {

struct ParsedConstraint {
    std::string name;       // as declared, or a generated SYS_C name
    bool generated = false; // the name was generated
    char type = 'C';        // P, U, R or C
    std::vector<std::string> columns;
    std::string condition; // C: the search condition
    std::string refTable;  // R: the referenced table
    std::vector<std::string> refColumns;
    std::string deleteRule; // R: NO ACTION, CASCADE or SET NULL
    bool rowidKey = false;  // P on an INTEGER PRIMARY KEY column: SQLite keeps no index for it
};

std::vector<ParsedConstraint> parseConstraints(const std::string &table,
                                               const std::string &createSql);

struct ParsedTrigger {
    std::string type;  // BEFORE EACH ROW, AFTER EACH ROW, INSTEAD OF
    std::string event; // INSERT, UPDATE or DELETE
    std::string table;
    std::string whenClause;
    std::string description; // the header after CREATE TRIGGER
    std::string body;        // from BEGIN on
};

ParsedTrigger parseTrigger(const std::string &createSql);

// The query text of a view: what follows AS.
std::string viewQueryText(const std::string &createSql);

// The name Oracle would show for an SQLite index: an automatic index of a key takes the key's
// constraint name.
std::string oracleIndexName(const std::string &table, const std::string &createSql,
                            const std::string &sqliteIndexName);

// A generated constraint name that stays the same for the same table and position.
std::string generatedConstraintName(const std::string &table, int ordinal);

} // namespace bm::db

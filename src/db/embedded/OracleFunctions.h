#pragma once

// Oracle's functions where the program relies on their rules, registered with an SQLite
// connection: LPAD, RPAD, DECODE, NVL, NVL2, and the helpers the dictionary views and the
// hierarchical-query translation call.

#include <string>

struct sqlite3;

namespace bm::db {

void registerOracleFunctions(sqlite3 *db);
// TO_CHAR, TO_DATE, ADD_MONTHS, LAST_DAY, MONTHS_BETWEEN, TRUNC and ROUND.
void registerOracleDateFunctions(sqlite3 *db);
// INSTR, INITCAP, REPLACE, CONCAT, CHR, ASCII, TRANSLATE, TO_NUMBER, MOD, POWER, SQRT, SIGN,
// CEIL, FLOOR, GREATEST, LEAST and the REGEXP_ functions.
void registerOracleTextFunctions(sqlite3 *db);

// Oracle's view of a declared column type.
struct OracleColumnType {
    std::string dataType;     // e.g. NUMBER, VARCHAR2, DATE, INTEGER, TEXT
    long long length = 0;     // DATA_LENGTH
    long long precision = -1; // -1 for null
    long long scale = -1;     // -1 for null
    bool character = false;   // a character type (CHAR_LENGTH, CHAR_USED)
};
OracleColumnType oracleColumnType(const std::string &declared);

} // namespace bm::db

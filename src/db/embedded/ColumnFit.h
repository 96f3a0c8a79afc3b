#pragma once

// Values written to a column made to fit its declared type as Oracle does: VARCHAR2 and CHAR
// lengths (ORA-12899; CHAR padded with blanks), NUMBER precision and scale (rounded to the
// scale; ORA-01438 when too large; ORA-01722 for text that is no number) and DATE (a date, or
// text in the default DD-MON-RR form). The engine's SQL function BM_FIT(value, declared type,
// column path) applies the rules; ColumnFitTriggers calls it on every write.

#include <string>

struct sqlite3;

namespace bm::db {

struct ColumnFitRule {
    enum class Kind { None, Varying, Fixed, Number, Date } kind = Kind::None;
    long long length = 0;                 // characters or bytes for Varying and Fixed
    bool characters = false;              // lengths count characters, not bytes
    long long precision = -1, scale = -1; // -1: not limited
    // Whether a value may be stored changed (padded, rounded, converted), not only refused.
    bool normalizes() const {
        return kind == Kind::Fixed || kind == Kind::Date || (kind == Kind::Number && scale >= 0);
    }
};

ColumnFitRule columnFitRule(const std::string &declaredType);

void registerColumnFitFunction(sqlite3 *db);

} // namespace bm::db

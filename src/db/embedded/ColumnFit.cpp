#include "db/embedded/ColumnFit.h"

#include "db/embedded/FunctionGuard.h"
#include "db/embedded/OracleDates.h"
#include "db/embedded/OracleFunctions.h"
#include "db/embedded/SqlValues.h"

#include <cmath>
#include <optional>
#include <vector>

namespace bm::db {

namespace {

std::size_t characterCount(std::string_view text) {
    std::size_t n = 0;
    for (char c : text)
        n += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return n;
}

// Text in Oracle's default date format, DD-MON-RR or DD-MON-YYYY.
std::optional<DateTime> defaultFormatDate(std::string_view text) {
    if (text.size() != 9 && text.size() != 11)
        return std::nullopt;
    if (text[2] != '-' || text[6] != '-')
        return std::nullopt;
    const auto digits = [&](std::size_t at, std::size_t n) -> long long {
        long long v = 0;
        for (std::size_t k = at; k < at + n; ++k) {
            if (text[k] < '0' || text[k] > '9')
                return -1;
            v = v * 10 + (text[k] - '0');
        }
        return v;
    };
    const long long day = digits(0, 2);
    int month = 0;
    for (int m = 0; m < 12; ++m)
        if (startsWithNoCase(text.substr(3, 3), 0, std::string_view(kMonths[m]).substr(0, 3)))
            month = m + 1;
    long long year = digits(7, text.size() - 7);
    if (day < 1 || month == 0 || year < 0 || day > daysInMonth(year, month))
        return std::nullopt;
    if (text.size() == 9) // RR: 00-49 this century, 50-99 the last, for dates near today
        year += year < 50 ? 2000 : 1900;
    DateTime t;
    t.year = year;
    t.month = month;
    t.day = static_cast<int>(day);
    return t;
}

// Rounds half away from zero, reading a product within a hair of .5 as .5, so that 1.005 at
// two places is 1.01 as its decimal text says, not 1.00 as its binary value would give.
double roundToScale(double value, long long scale) {
    const double factor = std::pow(10.0, static_cast<double>(scale));
    const double scaled = value * factor;
    const double whole = std::trunc(scaled);
    const double rest = std::abs(scaled - whole);
    double rounded = std::round(scaled);
    if (std::abs(rest - 0.5) <= 1e-9 * std::max(1.0, std::abs(scaled)))
        rounded = whole + (scaled < 0 ? -1 : 1);
    return rounded / factor;
}

// The rules of the types seen lately. A trigger runs as a program of its own for every row, so
// SQLite's per-statement store for constant arguments would read the type again for each.
const ColumnFitRule *cachedRule(std::string_view declared) {
    thread_local std::vector<std::pair<std::string, ColumnFitRule>> rules;
    for (const auto &[type, rule] : rules)
        if (type == declared)
            return &rule;
    if (rules.size() >= 64)
        rules.clear();
    rules.emplace_back(std::string(declared), columnFitRule(std::string(declared)));
    return &rules.back().second;
}

void fitFunction(sqlite3_context *ctx, int, sqlite3_value **argv) {
    sqlite3_value *value = argv[0];
    if (sqlite3_value_type(value) == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    const ColumnFitRule *rule = cachedRule(textOf(argv[1]));
    const std::string_view column = textOf(argv[2]);
    const auto fail = [&](const std::string &message) {
        sqlite3_result_error(ctx, message.c_str(), static_cast<int>(message.size()));
    };
    switch (rule->kind) {
    case ColumnFitRule::Kind::None:
        sqlite3_result_value(ctx, value);
        return;
    case ColumnFitRule::Kind::Varying:
    case ColumnFitRule::Kind::Fixed: {
        const std::string_view text = textOf(value);
        const std::size_t actual = rule->characters ? characterCount(text) : text.size();
        if (actual > static_cast<std::size_t>(rule->length)) {
            fail("ORA-12899: value too large for column " + std::string(column) + " (actual: " +
                 std::to_string(actual) + ", maximum: " + std::to_string(rule->length) + ")");
            return;
        }
        if (rule->kind == ColumnFitRule::Kind::Varying || actual == std::size_t(rule->length)) {
            sqlite3_result_value(ctx, value);
            return;
        }
        std::string padded(text);
        padded.append(static_cast<std::size_t>(rule->length) - actual, ' ');
        resultText(ctx, padded);
        return;
    }
    case ColumnFitRule::Kind::Number: {
        const int type = sqlite3_value_numeric_type(value);
        if (type != SQLITE_INTEGER && type != SQLITE_FLOAT) {
            fail("ORA-01722: invalid number");
            return;
        }
        if (type == SQLITE_INTEGER && rule->scale >= 0 && rule->precision < 0) {
            sqlite3_result_value(ctx, value);
            return;
        }
        double number = sqlite3_value_double(value);
        const long long scale = std::max(0LL, rule->scale);
        if (rule->scale >= 0)
            number = roundToScale(number, scale);
        if (rule->precision >= 0 &&
            std::abs(number) >= std::pow(10.0, static_cast<double>(rule->precision - scale))) {
            fail("ORA-01438: value larger than specified precision allowed for this column");
            return;
        }
        if (rule->scale < 0 && rule->precision < 0) {
            sqlite3_result_value(ctx, value);
        } else if (std::trunc(number) == number && std::abs(number) < 9.2e18) {
            sqlite3_result_int64(ctx, static_cast<sqlite3_int64>(number));
        } else {
            sqlite3_result_double(ctx, number);
        }
        return;
    }
    case ColumnFitRule::Kind::Date: {
        if (sqlite3_value_type(value) != SQLITE_TEXT) {
            fail("ORA-00932: inconsistent datatypes: expected DATE got NUMBER");
            return;
        }
        // A timestamp's fraction of a second is dropped, as a DATE has none.
        const std::string_view text = textOf(value);
        std::optional<DateTime> date = parseStoredDate(text);
        if (!date)
            date = defaultFormatDate(text);
        if (!date) {
            fail("ORA-01861: literal does not match format string");
            return;
        }
        resultText(ctx, storedDate(*date));
        return;
    }
    }
}

} // namespace

ColumnFitRule columnFitRule(const std::string &declaredType) {
    const OracleColumnType type = oracleColumnType(declaredType);
    const std::string &t = type.dataType;
    ColumnFitRule rule;
    std::string upper;
    for (char c : declaredType)
        upper += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    const bool inCharacters = upper.find(" CHAR)") != std::string::npos;
    if (t == "VARCHAR2" || t == "VARCHAR" || t == "NVARCHAR2") {
        rule.kind = ColumnFitRule::Kind::Varying;
        rule.characters = inCharacters || t == "NVARCHAR2";
        rule.length = rule.characters && t == "NVARCHAR2" ? type.length / 2 : type.length;
        if (upper.find('(') == std::string::npos)
            rule.kind = ColumnFitRule::Kind::None; // no length given: nothing to check
    } else if (t == "CHAR" || t == "CHARACTER" || t == "NCHAR") {
        rule.kind = ColumnFitRule::Kind::Fixed;
        rule.characters = inCharacters || t == "NCHAR";
        rule.length = t == "NCHAR" ? type.length / 2 : type.length;
    } else if (t == "NUMBER" || t == "NUMERIC" || t == "DECIMAL" || t == "DEC" || t == "INTEGER" ||
               t == "INT" || t == "SMALLINT") {
        rule.kind = ColumnFitRule::Kind::Number;
        rule.precision = type.precision;
        rule.scale = type.scale;
    } else if (t == "FLOAT" || t == "REAL" || t == "DOUBLE" || t == "DOUBLE PRECISION" ||
               t == "BINARY_FLOAT" || t == "BINARY_DOUBLE") {
        rule.kind = ColumnFitRule::Kind::Number; // binary precision: checked, never rounded
    } else if (t == "DATE") {
        rule.kind = ColumnFitRule::Kind::Date;
    }
    return rule;
}

void registerColumnFitFunction(sqlite3 *db) {
    sqlite3_create_function(db, "BM_FIT", 3, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr,
                            guarded<fitFunction>, nullptr, nullptr);
}

} // namespace bm::db

#include "db/embedded/OracleFunctions.h"

#include "db/embedded/FunctionGuard.h"
#include "db/embedded/OracleDates.h"
#include "db/embedded/SqlValues.h"
#include "sql/SqlTokenizer.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <optional>
#include <sqlite3.h>
#include <string>
#include <vector>

namespace bm::db {

namespace {

void resultValueOrNull(sqlite3_context *ctx, sqlite3_value *v) {
    if (isNullish(v))
        sqlite3_result_null(ctx);
    else
        sqlite3_result_value(ctx, v);
}

// Splits UTF-8 text into characters.
std::vector<std::string_view> characters(std::string_view text) {
    std::vector<std::string_view> chars;
    for (std::size_t i = 0; i < text.size();) {
        std::size_t len = 1;
        const auto c = static_cast<unsigned char>(text[i]);
        if (c >= 0xF0)
            len = 4;
        else if (c >= 0xE0)
            len = 3;
        else if (c >= 0xC0)
            len = 2;
        len = std::min(len, text.size() - i);
        chars.push_back(text.substr(i, len));
        i += len;
    }
    return chars;
}

// The longest text a VARCHAR2 holds, and so the widest LPAD or RPAD result.
constexpr long long kMaxVarchar2 = 4000;
// The largest magnitude Oracle's NUMBER holds; a width beyond it overflows.
constexpr double kMaxNumber = 1e126;

void pad(sqlite3_context *ctx, int argc, sqlite3_value **argv, bool left) {
    for (int i = 0; i < argc; ++i) {
        if (isNullish(argv[i])) {
            sqlite3_result_null(ctx);
            return;
        }
    }
    const double requested = sqlite3_value_double(argv[1]);
    if (std::isnan(requested) || std::isinf(requested)) {
        sqlite3_result_error(ctx, "ORA-01722: invalid number", -1);
        return;
    }
    if (std::fabs(requested) >= kMaxNumber) {
        sqlite3_result_error(ctx, "ORA-01426: numeric overflow", -1);
        return;
    }
    // The width is checked before anything is allocated: the result never passes VARCHAR2's
    // limit, however wide the request.
    const long long width =
        static_cast<long long>(std::min(std::trunc(requested), static_cast<double>(kMaxVarchar2)));
    if (width <= 0) {
        sqlite3_result_null(ctx);
        return;
    }
    const auto text = characters(textOf(argv[0]));
    std::string result;
    if (static_cast<long long>(text.size()) >= width) {
        for (long long i = 0; i < width; ++i)
            result += text[i];
    } else {
        const auto filler = characters(argc > 2 ? textOf(argv[2]) : std::string_view(" "));
        std::string padding;
        for (long long i = 0, need = width - static_cast<long long>(text.size()); i < need; ++i)
            padding += filler[i % filler.size()];
        std::string body;
        for (auto c : text)
            body += c;
        result = left ? padding + body : body + padding;
    }
    sqlite3_result_text(ctx, result.data(), static_cast<int>(result.size()), SQLITE_TRANSIENT);
}

void lpadFunction(sqlite3_context *ctx, int argc, sqlite3_value **argv) {
    pad(ctx, argc, argv, true);
}
void rpadFunction(sqlite3_context *ctx, int argc, sqlite3_value **argv) {
    pad(ctx, argc, argv, false);
}

bool isNumber(sqlite3_value *v) {
    const int t = sqlite3_value_type(v);
    return t == SQLITE_INTEGER || t == SQLITE_FLOAT;
}

// DECODE compares in the type of the first search value; null matches null.
bool decodeMatches(sqlite3_value *expr, sqlite3_value *search, bool numeric) {
    const bool exprNull = isNullish(expr), searchNull = isNullish(search);
    if (exprNull || searchNull)
        return exprNull && searchNull;
    if (numeric)
        return sqlite3_value_double(expr) == sqlite3_value_double(search);
    return textOf(expr) == textOf(search);
}

void decodeFunction(sqlite3_context *ctx, int argc, sqlite3_value **argv) {
    if (argc < 3) {
        sqlite3_result_error(ctx, "ORA-00938: not enough arguments for function", -1);
        return;
    }
    const bool numeric = isNumber(argv[1]);
    int i = 1;
    for (; i + 1 < argc; i += 2) {
        if (decodeMatches(argv[0], argv[i], numeric)) {
            resultValueOrNull(ctx, argv[i + 1]);
            return;
        }
    }
    if (i < argc)
        resultValueOrNull(ctx, argv[i]);
    else
        sqlite3_result_null(ctx);
}

void nvlFunction(sqlite3_context *ctx, int, sqlite3_value **argv) {
    resultValueOrNull(ctx, isNullish(argv[0]) ? argv[1] : argv[0]);
}

void nvl2Function(sqlite3_context *ctx, int, sqlite3_value **argv) {
    resultValueOrNull(ctx, isNullish(argv[0]) ? argv[2] : argv[1]);
}

// Raised by the hierarchical-query translation when a row would become its own ancestor.
void connectByLoopFunction(sqlite3_context *ctx, int, sqlite3_value **) {
    sqlite3_result_error(ctx, "ORA-01436: CONNECT BY loop in user data", -1);
}

// The dictionary's view of a declared type: one function per column it fills.
void columnTypeFunction(sqlite3_context *ctx, int, sqlite3_value **argv) {
    const auto part = reinterpret_cast<std::intptr_t>(sqlite3_user_data(ctx));
    const OracleColumnType type = oracleColumnType(std::string(textOf(argv[0])));
    switch (part) {
    case 0:
        if (type.dataType.empty())
            sqlite3_result_null(ctx);
        else
            sqlite3_result_text(ctx, type.dataType.c_str(), -1, SQLITE_TRANSIENT);
        break;
    case 1:
        sqlite3_result_int64(ctx, type.length);
        break;
    case 2:
        type.precision < 0 ? sqlite3_result_null(ctx) : sqlite3_result_int64(ctx, type.precision);
        break;
    case 3:
        type.scale < 0 ? sqlite3_result_null(ctx) : sqlite3_result_int64(ctx, type.scale);
        break;
    case 4:
        sqlite3_result_int64(ctx, type.character ? type.length : 0);
        break;
    case 5:
        type.character ? sqlite3_result_text(ctx, "B", 1, SQLITE_STATIC) : sqlite3_result_null(ctx);
        break;
    }
}

std::vector<long long> typeArguments(const std::string &declared) {
    std::vector<long long> numbers;
    const std::size_t open = declared.find('(');
    if (open == std::string::npos)
        return numbers;
    const char *p = declared.c_str() + open + 1;
    while (*p && *p != ')') {
        if (*p == '*') { // NUMBER(*, s): Oracle's largest precision
            numbers.push_back(38);
            ++p;
            continue;
        }
        char *end = nullptr;
        const long long value = std::strtoll(p, &end, 10);
        if (end == p) {
            ++p;
            continue;
        }
        numbers.push_back(value);
        p = end;
    }
    return numbers;
}

} // namespace

OracleColumnType oracleColumnType(const std::string &declared) {
    OracleColumnType type;
    const std::size_t open = declared.find('(');
    std::string base = upperAscii(declared.substr(0, open));
    // Collapse white space: "double   precision" reads as "DOUBLE PRECISION".
    std::string collapsed;
    for (char c : base) {
        if (std::isspace(static_cast<unsigned char>(c))) {
            if (!collapsed.empty() && collapsed.back() != ' ')
                collapsed += ' ';
        } else {
            collapsed += c;
        }
    }
    while (!collapsed.empty() && collapsed.back() == ' ')
        collapsed.pop_back();
    type.dataType = collapsed;
    const auto args = typeArguments(declared);
    const std::string &t = collapsed;
    auto arg = [&](std::size_t i, long long fallback) {
        return i < args.size() ? args[i] : fallback;
    };
    if (t == "NUMBER" || t == "NUMERIC" || t == "DECIMAL" || t == "DEC") {
        type.length = 22;
        if (!args.empty()) {
            type.precision = args[0];
            type.scale = arg(1, 0);
        }
    } else if (t == "INTEGER" || t == "INT" || t == "SMALLINT" || t == "BIGINT") {
        type.length = 22;
        type.scale = 0;
    } else if (t == "FLOAT") {
        type.length = 22;
        type.precision = arg(0, 126);
    } else if (t == "REAL") {
        type.length = 22;
        type.precision = 63;
    } else if (t == "DOUBLE" || t == "DOUBLE PRECISION") {
        type.length = 22;
        type.precision = 126;
    } else if (t == "VARCHAR2" || t == "VARCHAR" || t == "CHAR" || t == "CHARACTER") {
        type.length = arg(0, t == "CHAR" || t == "CHARACTER" ? 1 : 4000);
        type.character = true;
    } else if (t == "NVARCHAR2" || t == "NCHAR") {
        type.length = 2 * arg(0, 1);
        type.character = true;
    } else if (t == "DATE") {
        type.length = 7;
    } else if (t.rfind("TIMESTAMP", 0) == 0) {
        type.length =
            t.find("TIME ZONE") != std::string::npos && t.find("LOCAL") == std::string::npos ? 13
                                                                                             : 11;
        type.scale = arg(0, 6);
        if (t == "TIMESTAMP")
            type.dataType = "TIMESTAMP(" + std::to_string(type.scale) + ")";
    } else if (t == "CLOB" || t == "NCLOB" || t == "BLOB" || t == "TEXT") {
        type.length = 4000;
        type.character = t != "BLOB";
    } else if (t == "RAW") {
        type.length = arg(0, 1);
    } else if (t == "LONG" || t == "LONG RAW" || t.empty()) {
        type.length = 0;
    } else {
        type.length = args.empty() ? 0 : args[0];
    }
    return type;
}

std::optional<double> dateDays(sqlite3_value *v) {
    if (sqlite3_value_type(v) != SQLITE_TEXT)
        return std::nullopt;
    const auto date = parseStoredDate(textOf(v));
    return date ? std::optional<double>(toDays(*date)) : std::nullopt;
}

void resultDate(sqlite3_context *ctx, double days) {
    const std::string text = storedDate(fromDays(days));
    sqlite3_result_text(ctx, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
}

// A number for arithmetic: null stays null (false), text that is no number is Oracle's error.
bool numberOf(sqlite3_context *ctx, sqlite3_value *v, sqlite3_value *&out) {
    const int type = sqlite3_value_numeric_type(v);
    if (type == SQLITE_INTEGER || type == SQLITE_FLOAT) {
        out = v;
        return true;
    }
    if (!isNullish(v))
        sqlite3_result_error(ctx, "ORA-01722: invalid number", -1);
    return false;
}

void arithmetic(sqlite3_context *ctx, sqlite3_value **argv, bool add) {
    if (isNullish(argv[0]) || isNullish(argv[1])) {
        sqlite3_result_null(ctx);
        return;
    }
    const auto leftDate = dateDays(argv[0]);
    const auto rightDate = dateDays(argv[1]);
    if (leftDate && rightDate) {
        if (add) {
            sqlite3_result_error(ctx, "ORA-00975: date + date not allowed", -1);
            return;
        }
        sqlite3_result_double(ctx, *leftDate - *rightDate); // days between
        return;
    }
    sqlite3_value *a = nullptr, *b = nullptr;
    if (leftDate || rightDate) {
        if (rightDate && !add) {
            sqlite3_result_error(ctx, "ORA-00932: inconsistent datatypes: expected NUMBER got DATE",
                                 -1);
            return;
        }
        if (!numberOf(ctx, leftDate ? argv[1] : argv[0], a))
            return;
        const double days = sqlite3_value_double(a);
        resultDate(ctx, (leftDate ? *leftDate : *rightDate) + (add ? days : -days));
        return;
    }
    if (!numberOf(ctx, argv[0], a) || !numberOf(ctx, argv[1], b))
        return;
    if (sqlite3_value_numeric_type(a) == SQLITE_INTEGER &&
        sqlite3_value_numeric_type(b) == SQLITE_INTEGER) {
        const sqlite3_int64 x = sqlite3_value_int64(a), y = sqlite3_value_int64(b);
        sqlite3_int64 r;
        if (!(add ? __builtin_add_overflow(x, y, &r) : __builtin_sub_overflow(x, y, &r))) {
            sqlite3_result_int64(ctx, r);
            return;
        }
    }
    const double x = sqlite3_value_double(a), y = sqlite3_value_double(b);
    sqlite3_result_double(ctx, add ? x + y : x - y);
}

void plusFunction(sqlite3_context *ctx, int, sqlite3_value **argv) {
    arithmetic(ctx, argv, true);
}
void minusFunction(sqlite3_context *ctx, int, sqlite3_value **argv) {
    arithmetic(ctx, argv, false);
}

// The right operand of a division: a zero is Oracle's error, not SQLite's silent null.
void divisorFunction(sqlite3_context *ctx, int, sqlite3_value **argv) {
    sqlite3_value *v = argv[0];
    const int type = sqlite3_value_numeric_type(v);
    if ((type == SQLITE_INTEGER || type == SQLITE_FLOAT) && sqlite3_value_double(v) == 0.0) {
        sqlite3_result_error(ctx, "ORA-01476: divisor is equal to zero", -1);
        return;
    }
    resultValueOrNull(ctx, v);
}

// SUBSTR as Oracle counts: characters from 1, a start of 0 taken as 1, a negative start
// counted from the end; a length below 1, or nothing left, gives null.
void substrFunction(sqlite3_context *ctx, int argc, sqlite3_value **argv) {
    for (int i = 0; i < argc; ++i) {
        if (isNullish(argv[i])) {
            sqlite3_result_null(ctx);
            return;
        }
    }
    const auto chars = characters(textOf(argv[0]));
    const auto size = static_cast<long long>(chars.size());
    long long start = static_cast<long long>(std::trunc(sqlite3_value_double(argv[1])));
    if (start == 0)
        start = 1;
    if (start < 0)
        start = size + start + 1;
    if (start < 1 || start > size) {
        sqlite3_result_null(ctx);
        return;
    }
    long long length = size - start + 1;
    if (argc > 2) {
        const double requested = std::trunc(sqlite3_value_double(argv[2]));
        if (requested < 1) {
            sqlite3_result_null(ctx);
            return;
        }
        length = std::min<long long>(length, static_cast<long long>(std::min(requested, 1e18)));
    }
    std::string result;
    for (long long i = start - 1; i < start - 1 + length; ++i)
        result += chars[static_cast<std::size_t>(i)];
    sqlite3_result_text(ctx, result.data(), static_cast<int>(result.size()), SQLITE_TRANSIENT);
}

void registerOracleFunctions(sqlite3 *db) {
    const int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
    registerOracleDateFunctions(db);
    registerOracleTextFunctions(db);
    for (int n = 2; n <= 3; ++n) {
        sqlite3_create_function(db, "LPAD", n, flags, nullptr, guarded<lpadFunction>, nullptr,
                                nullptr);
        sqlite3_create_function(db, "RPAD", n, flags, nullptr, guarded<rpadFunction>, nullptr,
                                nullptr);
    }
    sqlite3_create_function(db, "DECODE", -1, flags, nullptr, guarded<decodeFunction>, nullptr,
                            nullptr);
    sqlite3_create_function(db, "BM_PLUS", 2, flags, nullptr, guarded<plusFunction>, nullptr,
                            nullptr);
    sqlite3_create_function(db, "BM_MINUS", 2, flags, nullptr, guarded<minusFunction>, nullptr,
                            nullptr);
    sqlite3_create_function(db, "BM_DIVISOR", 1, flags, nullptr, guarded<divisorFunction>, nullptr,
                            nullptr);
    for (int n = 2; n <= 3; ++n)
        sqlite3_create_function(db, "SUBSTR", n, flags, nullptr, guarded<substrFunction>, nullptr,
                                nullptr);
    sqlite3_create_function(db, "NVL", 2, flags, nullptr, guarded<nvlFunction>, nullptr, nullptr);
    sqlite3_create_function(db, "NVL2", 3, flags, nullptr, guarded<nvl2Function>, nullptr, nullptr);
    sqlite3_create_function(db, "BM_CONNECT_BY_LOOP", 0, SQLITE_UTF8, nullptr,
                            guarded<connectByLoopFunction>, nullptr, nullptr);
    static const char *const parts[] = {"BM_DATA_TYPE",  "BM_DATA_LENGTH", "BM_DATA_PRECISION",
                                        "BM_DATA_SCALE", "BM_CHAR_LENGTH", "BM_CHAR_USED"};
    for (std::intptr_t i = 0; i < 6; ++i)
        sqlite3_create_function(db, parts[i], 1, flags, reinterpret_cast<void *>(i),
                                guarded<columnTypeFunction>, nullptr, nullptr);
}

} // namespace bm::db

// Oracle's text and number functions where SQLite has none or answers differently: INSTR,
// INITCAP, REPLACE, CONCAT, CHR, ASCII, TRANSLATE, TO_NUMBER, MOD, POWER, SQRT, SIGN, CEIL,
// FLOOR, GREATEST, LEAST and the REGEXP_ functions on the common patterns.

#include "db/embedded/FunctionGuard.h"
#include "db/embedded/OracleFunctions.h"
#include "db/embedded/SqlValues.h"

#include <algorithm>
#include <cmath>
#include <regex>
#include <stdexcept>
#include <string>
#include <vector>

namespace bm::db {

namespace {

bool anyNull(int argc, sqlite3_value **argv) {
    for (int i = 0; i < argc; ++i)
        if (isNullish(argv[i]))
            return true;
    return false;
}

std::string text(sqlite3_value *v) {
    return std::string(textOf(v));
}

// UTF-8 text as characters.
std::vector<std::string> chars(const std::string &s) {
    std::vector<std::string> out;
    for (std::size_t i = 0; i < s.size();) {
        const auto c = static_cast<unsigned char>(s[i]);
        const std::size_t len = std::min<std::size_t>(c >= 0xF0   ? 4
                                                      : c >= 0xE0 ? 3
                                                      : c >= 0xC0 ? 2
                                                                  : 1,
                                                      s.size() - i);
        out.push_back(s.substr(i, len));
        i += len;
    }
    return out;
}

// A number argument: false (with Oracle's error set) for text that is no number.
bool numeric(sqlite3_context *ctx, sqlite3_value *v, double &out) {
    const int type = sqlite3_value_numeric_type(v);
    if (type != SQLITE_INTEGER && type != SQLITE_FLOAT) {
        sqlite3_result_error(ctx, "ORA-01722: invalid number", -1);
        return false;
    }
    out = sqlite3_value_double(v);
    return true;
}

void resultNumber(sqlite3_context *ctx, double value) {
    if (std::isnan(value) || std::isinf(value)) {
        sqlite3_result_error(ctx, "ORA-01426: numeric overflow", -1);
        return;
    }
    if (value == std::trunc(value) && std::fabs(value) < 9e15)
        sqlite3_result_int64(ctx, static_cast<sqlite3_int64>(value));
    else
        sqlite3_result_double(ctx, value);
}

template <double (*Operation)(double)>
void unaryNumber(sqlite3_context *ctx, int, sqlite3_value **argv) {
    double x;
    if (isNullish(argv[0]))
        sqlite3_result_null(ctx);
    else if (numeric(ctx, argv[0], x))
        resultNumber(ctx, Operation(x));
}

double sign(double x) {
    return x > 0 ? 1 : x < 0 ? -1 : 0;
}

void sqrtFunction(sqlite3_context *ctx, int, sqlite3_value **argv) {
    double x;
    if (isNullish(argv[0]))
        sqlite3_result_null(ctx);
    else if (numeric(ctx, argv[0], x)) {
        if (x < 0)
            sqlite3_result_error(ctx, "ORA-01428: argument is out of range", -1);
        else
            resultNumber(ctx, std::sqrt(x));
    }
}

// MOD as Oracle defines it: m - n * TRUNC(m / n), and m itself when n is 0.
void modFunction(sqlite3_context *ctx, int argc, sqlite3_value **argv) {
    double m, n;
    if (anyNull(argc, argv))
        sqlite3_result_null(ctx);
    else if (numeric(ctx, argv[0], m) && numeric(ctx, argv[1], n))
        resultNumber(ctx, n == 0 ? m : m - n * std::trunc(m / n));
}

void powerFunction(sqlite3_context *ctx, int argc, sqlite3_value **argv) {
    double m, n;
    if (anyNull(argc, argv))
        sqlite3_result_null(ctx);
    else if (numeric(ctx, argv[0], m) && numeric(ctx, argv[1], n))
        resultNumber(ctx, std::pow(m, n));
}

void toNumberFunction(sqlite3_context *ctx, int, sqlite3_value **argv) {
    double x;
    if (isNullish(argv[0]))
        sqlite3_result_null(ctx);
    else if (numeric(ctx, argv[0], x))
        resultNumber(ctx, x);
}

// GREATEST and LEAST compare as the first argument's kind: numbers as numbers, else as text.
void extremeFunction(sqlite3_context *ctx, int argc, sqlite3_value **argv, bool greatest) {
    if (anyNull(argc, argv)) {
        sqlite3_result_null(ctx);
        return;
    }
    const int type = sqlite3_value_numeric_type(argv[0]);
    if (type == SQLITE_INTEGER || type == SQLITE_FLOAT) {
        double best;
        if (!numeric(ctx, argv[0], best))
            return;
        for (int i = 1; i < argc; ++i) {
            double x;
            if (!numeric(ctx, argv[i], x))
                return;
            best = greatest ? std::max(best, x) : std::min(best, x);
        }
        resultNumber(ctx, best);
        return;
    }
    std::string best = text(argv[0]);
    for (int i = 1; i < argc; ++i) {
        const std::string x = text(argv[i]);
        best = greatest ? std::max(best, x) : std::min(best, x);
    }
    resultText(ctx, best);
}
void greatestFunction(sqlite3_context *ctx, int argc, sqlite3_value **argv) {
    extremeFunction(ctx, argc, argv, true);
}
void leastFunction(sqlite3_context *ctx, int argc, sqlite3_value **argv) {
    extremeFunction(ctx, argc, argv, false);
}

// INSTR(text, sought [, start [, occurrence]]): a negative start searches backwards from that
// many characters before the end.
void instrFunction(sqlite3_context *ctx, int argc, sqlite3_value **argv) {
    if (anyNull(argc, argv)) {
        sqlite3_result_null(ctx);
        return;
    }
    const auto hay = chars(text(argv[0]));
    const auto needle = chars(text(argv[1]));
    const long long start = argc > 2 ? static_cast<long long>(sqlite3_value_double(argv[2])) : 1;
    const long long occurrence =
        argc > 3 ? static_cast<long long>(sqlite3_value_double(argv[3])) : 1;
    if (start == 0 || occurrence < 1) {
        if (occurrence < 1)
            sqlite3_result_error(ctx, "ORA-01428: argument is out of range", -1);
        else
            sqlite3_result_int(ctx, 0);
        return;
    }
    const auto size = static_cast<long long>(hay.size());
    const auto length = static_cast<long long>(needle.size());
    const auto matchesAt = [&](long long p) {
        if (p < 0 || p + length > size)
            return false;
        for (long long k = 0; k < length; ++k)
            if (hay[p + k] != needle[k])
                return false;
        return true;
    };
    long long found = 0;
    if (start > 0) {
        for (long long p = start - 1; p < size; ++p)
            if (matchesAt(p) && ++found == occurrence) {
                sqlite3_result_int64(ctx, p + 1);
                return;
            }
    } else {
        for (long long p = size + start; p >= 0; --p)
            if (matchesAt(p) && ++found == occurrence) {
                sqlite3_result_int64(ctx, p + 1);
                return;
            }
    }
    sqlite3_result_int(ctx, 0);
}

void initcapFunction(sqlite3_context *ctx, int, sqlite3_value **argv) {
    if (isNullish(argv[0])) {
        sqlite3_result_null(ctx);
        return;
    }
    std::string s = text(argv[0]);
    bool wordStart = true;
    for (char &c : s) {
        const auto u = static_cast<unsigned char>(c);
        const bool alnum = std::isalnum(u) || u >= 0x80;
        if (u < 0x80)
            c = static_cast<char>(wordStart ? std::toupper(u) : std::tolower(u));
        wordStart = !alnum;
    }
    resultText(ctx, s);
}

// REPLACE(text, sought [, by]): without a replacement, or with a null one, the sought text is
// removed; a null sought text leaves the text as it is.
void replaceFunction(sqlite3_context *ctx, int argc, sqlite3_value **argv) {
    if (isNullish(argv[0])) {
        sqlite3_result_null(ctx);
        return;
    }
    std::string s = text(argv[0]);
    if (isNullish(argv[1])) {
        resultText(ctx, s);
        return;
    }
    const std::string from = text(argv[1]);
    const std::string to = argc > 2 && !isNullish(argv[2]) ? text(argv[2]) : std::string();
    std::string out;
    for (std::size_t i = 0;;) {
        const std::size_t at = s.find(from, i);
        if (at == std::string::npos) {
            out += s.substr(i);
            break;
        }
        out += s.substr(i, at - i) + to;
        i = at + from.size();
    }
    resultText(ctx, out);
}

void concatFunction(sqlite3_context *ctx, int, sqlite3_value **argv) {
    const std::string a = isNullish(argv[0]) ? std::string() : text(argv[0]);
    const std::string b = isNullish(argv[1]) ? std::string() : text(argv[1]);
    resultText(ctx, a + b);
}

void chrFunction(sqlite3_context *ctx, int, sqlite3_value **argv) {
    double code;
    if (isNullish(argv[0])) {
        sqlite3_result_null(ctx);
        return;
    }
    if (!numeric(ctx, argv[0], code))
        return;
    const auto c = static_cast<long long>(code);
    if (c < 0 || c > 255) {
        sqlite3_result_error(ctx, "ORA-01428: argument is out of range", -1);
        return;
    }
    // The database character set is UTF-8: codes above 127 are the Latin-1 characters.
    std::string s;
    if (c < 0x80) {
        s += static_cast<char>(c);
    } else {
        s += static_cast<char>(0xC0 | (c >> 6));
        s += static_cast<char>(0x80 | (c & 0x3F));
    }
    if (c == 0)
        sqlite3_result_text(ctx, "\0", 1, SQLITE_TRANSIENT);
    else
        resultText(ctx, s);
}

void asciiFunction(sqlite3_context *ctx, int, sqlite3_value **argv) {
    if (isNullish(argv[0])) {
        sqlite3_result_null(ctx);
        return;
    }
    const std::string s = text(argv[0]);
    sqlite3_result_int(ctx, static_cast<unsigned char>(s[0]));
}

// TRANSLATE(text, from, to): each character of from becomes the one at its place in to, or
// goes when to is shorter.
void translateFunction(sqlite3_context *ctx, int argc, sqlite3_value **argv) {
    if (anyNull(argc, argv)) {
        sqlite3_result_null(ctx);
        return;
    }
    const auto from = chars(text(argv[1]));
    const auto to = chars(text(argv[2]));
    std::string out;
    for (const std::string &c : chars(text(argv[0]))) {
        const auto it = std::find(from.begin(), from.end(), c);
        if (it == from.end())
            out += c;
        else if (static_cast<std::size_t>(it - from.begin()) < to.size())
            out += to[static_cast<std::size_t>(it - from.begin())];
    }
    resultText(ctx, out);
}

// The pattern of a REGEXP_ function, with its match parameter (i: ignore case).
struct RegexRefused : std::runtime_error {
    using std::runtime_error::runtime_error;
};

std::regex pattern(sqlite3_value *source, sqlite3_value *flags) {
    auto options = std::regex::ECMAScript;
    if (flags && !isNullish(flags) && text(flags).find('i') != std::string::npos)
        options |= std::regex::icase;
    try {
        return std::regex(text(source), options);
    } catch (const std::regex_error &error) {
        throw RegexRefused(std::string("The regular expression is not valid: ") + error.what());
    }
}

// The matcher works by recursion: a text longer than a VARCHAR2 can hold is refused rather
// than risk the program's stack.
const std::string &searchable(const std::string &s) {
    if (s.size() > 32767)
        throw RegexRefused("Regular expressions are matched against at most 32767 bytes of text "
                           "by the embedded engine.");
    return s;
}

void regexpLikeFunction(sqlite3_context *ctx, int argc, sqlite3_value **argv) {
    if (isNullish(argv[0]) || isNullish(argv[1])) {
        sqlite3_result_null(ctx);
        return;
    }
    const std::string s = text(argv[0]);
    sqlite3_result_int(
        ctx, std::regex_search(searchable(s), pattern(argv[1], argc > 2 ? argv[2] : nullptr)));
}

// REGEXP_SUBSTR(text, pattern [, start [, occurrence [, flags]]]) and REGEXP_INSTR alike.
void regexpFind(sqlite3_context *ctx, int argc, sqlite3_value **argv, bool position) {
    if (isNullish(argv[0]) || isNullish(argv[1])) {
        sqlite3_result_null(ctx);
        return;
    }
    const std::string s = searchable(text(argv[0]));
    const long long start = argc > 2 ? static_cast<long long>(sqlite3_value_double(argv[2])) : 1;
    const long long occurrence =
        argc > 3 ? static_cast<long long>(sqlite3_value_double(argv[3])) : 1;
    if (start < 1 || occurrence < 1) {
        sqlite3_result_error(ctx, "ORA-01428: argument is out of range", -1);
        return;
    }
    const std::regex re = pattern(argv[1], argc > 4 ? argv[4] : nullptr);
    const std::size_t from = std::min<std::size_t>(s.size(), static_cast<std::size_t>(start - 1));
    long long seen = 0;
    for (auto it = std::sregex_iterator(s.begin() + static_cast<std::ptrdiff_t>(from), s.end(), re);
         it != std::sregex_iterator(); ++it) {
        if (++seen == occurrence) {
            if (position)
                sqlite3_result_int64(ctx, static_cast<long long>(from + it->position()) + 1);
            else
                resultText(ctx, it->str());
            return;
        }
    }
    if (position)
        sqlite3_result_int(ctx, 0);
    else
        sqlite3_result_null(ctx);
}
void regexpSubstrFunction(sqlite3_context *ctx, int argc, sqlite3_value **argv) {
    regexpFind(ctx, argc, argv, false);
}
void regexpInstrFunction(sqlite3_context *ctx, int argc, sqlite3_value **argv) {
    regexpFind(ctx, argc, argv, true);
}

// REGEXP_REPLACE(text, pattern [, by]): every match; \1 … \9 stand for the groups.
void regexpReplaceFunction(sqlite3_context *ctx, int argc, sqlite3_value **argv) {
    if (isNullish(argv[0])) {
        sqlite3_result_null(ctx);
        return;
    }
    if (isNullish(argv[1])) {
        resultText(ctx, text(argv[0]));
        return;
    }
    std::string by = argc > 2 && !isNullish(argv[2]) ? text(argv[2]) : std::string();
    // Oracle writes groups as \1; the library as $1.
    std::string format;
    for (std::size_t i = 0; i < by.size(); ++i) {
        if (by[i] == '\\' && i + 1 < by.size() && by[i + 1] >= '1' && by[i + 1] <= '9') {
            format += '$';
            format += by[++i];
        } else if (by[i] == '$') {
            format += "$$";
        } else {
            format += by[i];
        }
    }
    resultText(ctx,
               std::regex_replace(searchable(text(argv[0])), pattern(argv[1], nullptr), format));
}

} // namespace

void registerOracleTextFunctions(sqlite3 *db) {
    const int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
    const auto add = [&](const char *name, int args,
                         void (*fn)(sqlite3_context *, int, sqlite3_value **)) {
        sqlite3_create_function(db, name, args, flags, nullptr, fn, nullptr, nullptr);
    };
    add("MOD", 2, guarded<modFunction>);
    add("POWER", 2, guarded<powerFunction>);
    add("SQRT", 1, guarded<sqrtFunction>);
    add("SIGN", 1, guarded<unaryNumber<sign>>);
    add("CEIL", 1, guarded<unaryNumber<static_cast<double (*)(double)>(std::ceil)>>);
    add("FLOOR", 1, guarded<unaryNumber<static_cast<double (*)(double)>(std::floor)>>);
    add("TO_NUMBER", 1, guarded<toNumberFunction>);
    add("GREATEST", -1, guarded<greatestFunction>);
    add("LEAST", -1, guarded<leastFunction>);
    for (int n = 2; n <= 4; ++n)
        add("INSTR", n, guarded<instrFunction>);
    add("INITCAP", 1, guarded<initcapFunction>);
    add("REPLACE", 2, guarded<replaceFunction>);
    add("REPLACE", 3, guarded<replaceFunction>);
    add("CONCAT", 2, guarded<concatFunction>);
    add("CHR", 1, guarded<chrFunction>);
    add("ASCII", 1, guarded<asciiFunction>);
    add("TRANSLATE", 3, guarded<translateFunction>);
    add("REGEXP_LIKE", 2, guarded<regexpLikeFunction>);
    add("REGEXP_LIKE", 3, guarded<regexpLikeFunction>);
    for (int n = 2; n <= 5; ++n) {
        add("REGEXP_SUBSTR", n, guarded<regexpSubstrFunction>);
        add("REGEXP_INSTR", n, guarded<regexpInstrFunction>);
    }
    add("REGEXP_REPLACE", 2, guarded<regexpReplaceFunction>);
    add("REGEXP_REPLACE", 3, guarded<regexpReplaceFunction>);
}

} // namespace bm::db

// Oracle's date and conversion functions on the embedded engine's dates: TO_CHAR, TO_DATE,
// ADD_MONTHS, LAST_DAY, MONTHS_BETWEEN, and TRUNC and ROUND for dates as for numbers.

#include "db/embedded/DateFormat.h"
#include "db/embedded/FunctionGuard.h"
#include "db/embedded/OracleDates.h"
#include "db/embedded/OracleFunctions.h"
#include "db/embedded/SqlValues.h"

#include <algorithm>
#include <cctype>
#include <cfloat>
#include <cmath>
#include <string>

namespace bm::db {

namespace {

std::optional<DateTime> dateOf(sqlite3_value *v) {
    return sqlite3_value_type(v) == SQLITE_TEXT ? parseStoredDate(textOf(v)) : std::nullopt;
}

void resultDateTime(sqlite3_context *ctx, const DateTime &t) {
    resultText(ctx, storedDate(t));
}

// A number as Oracle's TO_CHAR writes it without a format: no trailing zeros, no leading zero
// before the point.
std::string plainNumber(sqlite3_value *v) {
    if (sqlite3_value_numeric_type(v) == SQLITE_INTEGER)
        return std::to_string(sqlite3_value_int64(v));
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.15g", sqlite3_value_double(v));
    std::string out = buffer;
    if (out.rfind("0.", 0) == 0)
        out.erase(0, 1);
    else if (out.rfind("-0.", 0) == 0)
        out.erase(1, 1);
    return out;
}

// TO_CHAR of a number with a format of 9, 0, the group separator ",", the point "." and FM.
std::string formatNumber(double value, std::string_view format) {
    bool fm = false;
    if (startsWithNoCase(format, 0, "FM")) {
        fm = true;
        format.remove_prefix(2);
    }
    const std::size_t point = format.find_first_of(".Dd");
    const std::string_view whole = format.substr(0, point);
    const std::size_t decimals = point == std::string_view::npos ? 0 : format.size() - point - 1;
    for (char c : format)
        if (std::string_view("90,.DdGg").find(c) == std::string_view::npos)
            throw FormatError{"ORA-01481: invalid number format model"};
    const double scale = std::pow(10.0, static_cast<double>(decimals));
    const double rounded = std::round(std::fabs(value) * scale * (1 + 4 * DBL_EPSILON)) / scale;
    char buffer[400];
    std::snprintf(buffer, sizeof buffer, "%.*f", static_cast<int>(decimals), rounded);
    std::string digits = buffer;
    std::string intPart = digits.substr(0, digits.find('.'));
    const std::string fraction = decimals ? digits.substr(digits.find('.') + 1) : std::string();
    std::size_t slots = 0;
    for (char c : whole)
        slots += c == '9' || c == '0';
    if (intPart == "0" && whole.find('0') == std::string_view::npos)
        intPart.clear(); // Oracle writes .5, not 0.5, unless the format asks for the zero
    if (intPart.size() > slots)
        return std::string(format.size() + 1, '#');
    // Fill the integer part from the right along the format.
    std::string left;
    std::size_t pending = intPart.size();
    for (std::size_t k = whole.size(); k-- > 0;) {
        const char c = whole[k];
        if (c == '9' || c == '0') {
            if (pending > 0)
                left.insert(left.begin(), intPart[--pending]);
            else if (c == '0' || whole.substr(0, k).find('0') != std::string_view::npos)
                left.insert(left.begin(), '0');
            else if (!fm)
                left.insert(left.begin(), ' ');
        } else if (c == ',' || c == 'G' || c == 'g') {
            if (pending > 0 || whole.substr(0, k).find('0') != std::string_view::npos)
                left.insert(left.begin(), ',');
            else if (!fm)
                left.insert(left.begin(), ' ');
        }
    }
    std::string out = (value < 0 ? "-" : fm ? "" : " ") + left;
    if (fm)
        out.erase(0, out.find_first_not_of(' '));
    if (point != std::string_view::npos) {
        std::string digitsAfter = fraction;
        // FM drops the trailing zeros that stand for 9s (and keeps the point).
        for (std::size_t k = digitsAfter.size();
             fm && k > 0 && digitsAfter[k - 1] == '0' && format[point + k] == '9'; --k)
            digitsAfter.pop_back();
        out += "." + digitsAfter;
    }
    return out;
}

void toCharFunction(sqlite3_context *ctx, int argc, sqlite3_value **argv) {
    if (isNullish(argv[0]) || (argc > 1 && isNullish(argv[1]))) {
        sqlite3_result_null(ctx);
        return;
    }
    try {
        if (const auto date = dateOf(argv[0])) {
            if (argc == 1) {
                resultText(ctx, storedDate(*date));
                return;
            }
            // The format read once per statement when it is a constant.
            const auto *format = static_cast<const DateFormat *>(sqlite3_get_auxdata(ctx, 1));
            std::optional<DateFormat> local;
            if (!format) {
                local.emplace(textOf(argv[1]));
                format = &*local;
                sqlite3_set_auxdata(ctx, 1, new DateFormat(*local),
                                    [](void *p) { delete static_cast<DateFormat *>(p); });
            }
            thread_local std::string out; // keeps its memory from row to row
            out.clear();
            format->write(*date, out);
            resultText(ctx, out);
            return;
        }
        const int type = sqlite3_value_numeric_type(argv[0]);
        if (type == SQLITE_INTEGER || type == SQLITE_FLOAT) {
            resultText(ctx, argc > 1 ? formatNumber(sqlite3_value_double(argv[0]), textOf(argv[1]))
                                     : plainNumber(argv[0]));
            return;
        }
        if (argc > 1) {
            sqlite3_result_error(ctx, "ORA-01722: invalid number", -1);
            return;
        }
        resultText(ctx, std::string(textOf(argv[0])));
    } catch (const FormatError &error) {
        sqlite3_result_error(ctx, error.message, -1);
    }
}

// The two-digit elements of a TO_DATE format: the part they set, the values they take and
// Oracle's error for any other. Longer elements come before those they begin with.
struct TwoDigitField {
    const char *element;
    int DateTime::*part;
    long long low, high;
    const char *error;
    bool twelveHour;
};

const TwoDigitField kTwoDigitFields[] = {
    {"MM", &DateTime::month, 1, 12, "ORA-01843: not a valid month", false},
    {"MI", &DateTime::minute, 0, 59, "ORA-01851: minutes must be between 0 and 59", false},
    {"DD", &DateTime::day, 1, 31, "ORA-01847: day of month must be between 1 and last day of month",
     false},
    {"HH24", &DateTime::hour, 0, 23, "ORA-01850: hour must be between 0 and 23", false},
    {"HH12", &DateTime::hour, 1, 12, "ORA-01849: hour must be between 1 and 12", true},
    {"HH", &DateTime::hour, 1, 12, "ORA-01849: hour must be between 1 and 12", true},
    {"SS", &DateTime::second, 0, 59, "ORA-01852: seconds must be between 0 and 59", false},
};

const TwoDigitField *twoDigitFieldAt(std::string_view format, std::size_t at) {
    for (const TwoDigitField &field : kTwoDigitFields)
        if (startsWithNoCase(format, at, field.element))
            return &field;
    return nullptr;
}

// TO_DATE and TO_TIMESTAMP: the text read along the format; without one, the engine's own date
// text. A timestamp keeps the fraction of a second its FF element reads.
void toDateFunction(sqlite3_context *ctx, int argc, sqlite3_value **argv) {
    if (isNullish(argv[0]) || (argc > 1 && isNullish(argv[1]))) {
        sqlite3_result_null(ctx);
        return;
    }
    const bool timestamp = sqlite3_user_data(ctx) != nullptr;
    const std::string_view value = textOf(argv[0]);
    if (argc == 1) {
        if (const auto date = parseStoredDate(value)) {
            const std::size_t point = value.size() > 19 ? 19 : value.size();
            resultText(ctx, storedDate(*date) +
                                std::string(timestamp ? value.substr(point) : std::string_view()));
            return;
        }
        sqlite3_result_error(ctx, "ORA-01861: literal does not match format string", -1);
        return;
    }
    const std::string_view format = textOf(argv[1]);
    DateTime t;
    std::string fraction;
    bool pm = false, twelve = false;
    std::size_t at = 0;
    const auto readNumber = [&](std::size_t maxDigits, long long &out) {
        while (at < value.size() && value[at] == ' ')
            ++at;
        std::size_t n = 0;
        out = 0;
        while (at < value.size() && n < maxDigits &&
               std::isdigit(static_cast<unsigned char>(value[at]))) {
            out = out * 10 + (value[at++] - '0');
            ++n;
        }
        return n > 0;
    };
    const auto fail = [&](const char *message) { sqlite3_result_error(ctx, message, -1); };
    for (std::size_t i = 0; i < format.size();) {
        long long n = 0;
        if (startsWithNoCase(format, i, "FM")) {
            i += 2;
        } else if (timestamp && startsWithNoCase(format, i, "FF")) {
            i += 2;
            std::size_t digits = 9;
            if (i < format.size() && format[i] >= '1' && format[i] <= '9')
                digits = static_cast<std::size_t>(format[i++] - '0');
            while (at < value.size() && fraction.size() < digits &&
                   std::isdigit(static_cast<unsigned char>(value[at])))
                fraction += value[at++];
            if (fraction.empty())
                return fail("ORA-01861: literal does not match format string");
        } else if (startsWithNoCase(format, i, "YYYY")) {
            if (!readNumber(4, n))
                return fail("ORA-01841: (full) year must be between -4713 and +9999, and not be 0");
            t.year = n;
            i += 4;
        } else if (startsWithNoCase(format, i, "YY") || startsWithNoCase(format, i, "RR")) {
            if (!readNumber(2, n))
                return fail("ORA-01861: literal does not match format string");
            t.year = startsWithNoCase(format, i, "RR") ? (n < 50 ? 2000 + n : 1900 + n) : 2000 + n;
            i += 2;
        } else if (startsWithNoCase(format, i, "MONTH") || startsWithNoCase(format, i, "MON")) {
            const bool full = startsWithNoCase(format, i, "MONTH");
            int month = 0;
            for (int m = 0; m < 12 && !month; ++m) {
                const std::string name = full ? kMonths[m] : std::string(kMonths[m]).substr(0, 3);
                if (startsWithNoCase(value, at, name)) {
                    month = m + 1;
                    at += name.size();
                }
            }
            if (!month)
                return fail("ORA-01843: not a valid month");
            t.month = month;
            i += full ? 5 : 3;
        } else if (const TwoDigitField *field = twoDigitFieldAt(format, i)) {
            if (!readNumber(2, n) || n < field->low || n > field->high)
                return fail(field->error);
            t.*(field->part) = static_cast<int>(field->twelveHour ? n % 12 : n);
            twelve = twelve || field->twelveHour;
            i += std::string_view(field->element).size();
        } else if (startsWithNoCase(format, i, "AM") || startsWithNoCase(format, i, "PM")) {
            pm = startsWithNoCase(value, at, "PM");
            if (!pm && !startsWithNoCase(value, at, "AM"))
                return fail("ORA-01855: AM/A.M. or PM/P.M. required");
            at += 2;
            i += 2;
        } else {
            // Punctuation and blanks match any one punctuation or blank.
            if (at < value.size() && !std::isalnum(static_cast<unsigned char>(value[at])))
                ++at;
            else if (at < value.size() && !std::isalnum(static_cast<unsigned char>(format[i])))
                return fail("ORA-01861: literal does not match format string");
            ++i;
        }
    }
    if (at < value.size())
        return fail("ORA-01830: date format picture ends before converting entire input string");
    if (twelve && pm)
        t.hour += 12;
    if (t.day > daysInMonth(t.year, t.month))
        return fail("ORA-01839: date not valid for month specified");
    resultText(ctx, storedDate(t) + (fraction.empty() ? "" : "." + fraction));
}

DateTime addMonths(const DateTime &t, long long months) {
    long long index = t.year * 12 + (t.month - 1) + months;
    DateTime out = t;
    out.year = index >= 0 ? index / 12 : (index - 11) / 12;
    out.month = static_cast<int>(index - out.year * 12) + 1;
    const int last = daysInMonth(out.year, out.month);
    // The last day of a month goes to the last day of the other month.
    if (t.day == daysInMonth(t.year, t.month) || t.day > last)
        out.day = last;
    return out;
}

// The date a function works on (its first argument). None once the result is set: null when any
// argument is null, ORA-01861 when the first is no date.
std::optional<DateTime> dateArgument(sqlite3_context *ctx, int argc, sqlite3_value **argv) {
    for (int i = 0; i < argc; ++i)
        if (isNullish(argv[i])) {
            sqlite3_result_null(ctx);
            return std::nullopt;
        }
    const auto date = dateOf(argv[0]);
    if (!date)
        sqlite3_result_error(ctx, "ORA-01861: literal does not match format string", -1);
    return date;
}

void addMonthsFunction(sqlite3_context *ctx, int argc, sqlite3_value **argv) {
    const auto date = dateArgument(ctx, argc, argv);
    if (!date)
        return;
    resultDateTime(
        ctx, addMonths(*date, static_cast<long long>(std::trunc(sqlite3_value_double(argv[1])))));
}

void lastDayFunction(sqlite3_context *ctx, int argc, sqlite3_value **argv) {
    const auto date = dateArgument(ctx, argc, argv);
    if (!date)
        return;
    DateTime out = *date;
    out.day = daysInMonth(out.year, out.month);
    resultDateTime(ctx, out);
}

void monthsBetweenFunction(sqlite3_context *ctx, int, sqlite3_value **argv) {
    if (isNullish(argv[0]) || isNullish(argv[1])) {
        sqlite3_result_null(ctx);
        return;
    }
    const auto a = dateOf(argv[0]), b = dateOf(argv[1]);
    if (!a || !b) {
        sqlite3_result_error(ctx, "ORA-01861: literal does not match format string", -1);
        return;
    }
    const double months = static_cast<double>((a->year - b->year) * 12 + (a->month - b->month));
    const bool lastDays =
        a->day == daysInMonth(a->year, a->month) && b->day == daysInMonth(b->year, b->month);
    if (a->day == b->day || lastDays) {
        sqlite3_result_double(ctx, months);
        return;
    }
    // The rest as a fraction of a 31-day month, the time of day included.
    const double rest =
        (a->day - b->day) / 31.0 +
        ((a->hour - b->hour) * 3600 + (a->minute - b->minute) * 60 + (a->second - b->second)) /
            (31.0 * 86400.0);
    sqlite3_result_double(ctx, months + rest);
}

// A date cut to the unit the format names, or rounded to the nearer one.
DateTime dateTo(const DateTime &t, std::string_view unit, bool round) {
    DateTime out = t;
    const auto startOfDay = [](DateTime d) {
        d.hour = d.minute = d.second = 0;
        return d;
    };
    const std::string u = [&] {
        std::string s(unit);
        for (char &c : s)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        return s;
    }();
    if (u.empty() || u == "DD" || u == "DDD" || u == "J") {
        out = startOfDay(t);
        if (round && t.hour >= 12)
            out = fromDays(toDays(out) + 1);
    } else if (u == "MM" || u == "MON" || u == "MONTH" || u == "RM") {
        out = startOfDay(t);
        out.day = 1;
        if (round && t.day >= 16)
            out = addMonths(out, 1);
    } else if (u == "YYYY" || u == "YEAR" || u == "YY" || u == "Y" || u == "SYYYY" || u == "RR" ||
               u == "RRRR") {
        out = startOfDay(t);
        out.day = out.month = 1;
        if (round && t.month >= 7)
            ++out.year;
    } else if (u == "Q") {
        out = startOfDay(t);
        out.day = 1;
        out.month = (t.month - 1) / 3 * 3 + 1;
        if (round && (t.month - out.month > 1 || (t.month - out.month == 1 && t.day >= 16)))
            out = addMonths(out, 3);
    } else if (u == "HH" || u == "HH24" || u == "HH12") {
        out.minute = out.second = 0;
        if (round && t.minute >= 30)
            out = fromDays(toDays(out) + 1.0 / 24);
    } else if (u == "MI") {
        out.second = 0;
        if (round && t.second >= 30)
            out = fromDays(toDays(out) + 1.0 / 1440);
    } else {
        throw FormatError{"ORA-01898: too many precision specifiers"};
    }
    return out;
}

// TRUNC and ROUND: dates by a unit, numbers by places (negative places count to the left of
// the point); ROUND takes halves away from zero.
void cutFunction(sqlite3_context *ctx, int argc, sqlite3_value **argv, bool round) {
    if (isNullish(argv[0]) || (argc > 1 && isNullish(argv[1]))) {
        sqlite3_result_null(ctx);
        return;
    }
    if (const auto date = dateOf(argv[0])) {
        try {
            resultDateTime(ctx, dateTo(*date, argc > 1 ? textOf(argv[1]) : "DD", round));
        } catch (const FormatError &error) {
            sqlite3_result_error(ctx, error.message, -1);
        }
        return;
    }
    const int type = sqlite3_value_numeric_type(argv[0]);
    if (type != SQLITE_INTEGER && type != SQLITE_FLOAT) {
        sqlite3_result_error(ctx, "ORA-01722: invalid number", -1);
        return;
    }
    const int places = argc > 1 ? static_cast<int>(std::trunc(sqlite3_value_double(argv[1]))) : 0;
    if (type == SQLITE_INTEGER && places >= 0) {
        sqlite3_result_int64(ctx, sqlite3_value_int64(argv[0]));
        return;
    }
    const double value = sqlite3_value_double(argv[0]);
    const double scale = std::pow(10.0, places);
    const double scaled = value * scale;
    // A half that binary fractions miss by a hair is still a half.
    const double nudged = round ? scaled * (1 + 4 * DBL_EPSILON) : scaled;
    const double cut = round ? std::round(nudged) : std::trunc(scaled);
    const double result = cut / scale;
    if (places <= 0 && std::fabs(result) < 9e15)
        sqlite3_result_int64(ctx, static_cast<sqlite3_int64>(result));
    else
        sqlite3_result_double(ctx, result);
}

void truncFunction(sqlite3_context *ctx, int argc, sqlite3_value **argv) {
    cutFunction(ctx, argc, argv, false);
}
void roundFunction(sqlite3_context *ctx, int argc, sqlite3_value **argv) {
    cutFunction(ctx, argc, argv, true);
}

// EXTRACT of a date: its year, month or day; a date has no other fields in Oracle.
void extractFunction(sqlite3_context *ctx, int, sqlite3_value **argv) {
    if (isNullish(argv[1])) {
        sqlite3_result_null(ctx);
        return;
    }
    const auto date = dateOf(argv[1]);
    if (!date) {
        sqlite3_result_error(ctx, "ORA-30076: invalid extract field for extract source", -1);
        return;
    }
    const std::string_view field = textOf(argv[0]);
    if (field == "YEAR")
        sqlite3_result_int64(ctx, date->year);
    else if (field == "MONTH")
        sqlite3_result_int(ctx, date->month);
    else if (field == "DAY")
        sqlite3_result_int(ctx, date->day);
    else
        sqlite3_result_error(ctx, "ORA-30076: invalid extract field for extract source", -1);
}

// NEXT_DAY(date, day name): the first later date that falls on that day, at the same time.
void nextDayFunction(sqlite3_context *ctx, int argc, sqlite3_value **argv) {
    const auto date = dateArgument(ctx, argc, argv);
    if (!date)
        return;
    std::string name(textOf(argv[1]));
    for (char &c : name)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    int wanted = -1;
    for (int d = 0; d < 7 && wanted < 0; ++d) {
        const std::string full = kDays[d];
        if (name == full || (name.size() >= 3 && full.rfind(name, 0) == 0))
            wanted = d;
    }
    if (wanted < 0) {
        sqlite3_result_error(ctx, "ORA-01846: not a valid day of the week", -1);
        return;
    }
    const long long days = daysFromCivil(date->year, date->month, date->day);
    const int weekday = static_cast<int>(((days % 7) + 11) % 7);
    int ahead = (wanted - weekday + 7) % 7;
    if (ahead == 0)
        ahead = 7;
    DateTime out = fromDays(static_cast<double>(days + ahead));
    out.hour = date->hour;
    out.minute = date->minute;
    out.second = date->second;
    resultDateTime(ctx, out);
}

} // namespace

void registerOracleDateFunctions(sqlite3 *db) {
    sqlite3_create_function(db, "BM_EXTRACT", 2, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr,
                            guarded<extractFunction>, nullptr, nullptr);
    sqlite3_create_function(db, "NEXT_DAY", 2, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr,
                            guarded<nextDayFunction>, nullptr, nullptr);
    const int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
    for (int n = 1; n <= 2; ++n) {
        sqlite3_create_function(db, "TO_CHAR", n, flags, nullptr, guarded<toCharFunction>, nullptr,
                                nullptr);
        sqlite3_create_function(db, "TO_DATE", n, flags, nullptr, guarded<toDateFunction>, nullptr,
                                nullptr);
        static int timestamp = 1;
        sqlite3_create_function(db, "TO_TIMESTAMP", n, flags, &timestamp, guarded<toDateFunction>,
                                nullptr, nullptr);
        sqlite3_create_function(db, "TRUNC", n, flags, nullptr, guarded<truncFunction>, nullptr,
                                nullptr);
        sqlite3_create_function(db, "ROUND", n, flags, nullptr, guarded<roundFunction>, nullptr,
                                nullptr);
    }
    sqlite3_create_function(db, "ADD_MONTHS", 2, flags, nullptr, guarded<addMonthsFunction>,
                            nullptr, nullptr);
    sqlite3_create_function(db, "LAST_DAY", 1, flags, nullptr, guarded<lastDayFunction>, nullptr,
                            nullptr);
    sqlite3_create_function(db, "MONTHS_BETWEEN", 2, flags, nullptr, guarded<monthsBetweenFunction>,
                            nullptr, nullptr);
}

} // namespace bm::db

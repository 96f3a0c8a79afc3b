#pragma once

// Dates as the embedded engine keeps them, text "YYYY-MM-DD HH:MM:SS", and the day counts
// Oracle's date arithmetic works in (days since 1970-01-01, the time of day as a fraction).

#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

namespace bm::db {

inline const char *const kMonths[] = {"JANUARY",   "FEBRUARY", "MARCH",    "APRIL",
                                      "MAY",       "JUNE",     "JULY",     "AUGUST",
                                      "SEPTEMBER", "OCTOBER",  "NOVEMBER", "DECEMBER"};
inline const char *const kDays[] = {"SUNDAY",   "MONDAY", "TUESDAY", "WEDNESDAY",
                                    "THURSDAY", "FRIDAY", "SATURDAY"};

// Whether text at `at` begins with word (written in capitals), whatever the case of the text.
inline bool startsWithNoCase(std::string_view text, std::size_t at, std::string_view word) {
    if (text.size() - at < word.size())
        return false;
    for (std::size_t k = 0; k < word.size(); ++k) {
        const char c = text[at + k];
        if ((c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c) != word[k])
            return false;
    }
    return true;
}

struct DateTime {
    long long year = 1970;
    int month = 1, day = 1, hour = 0, minute = 0, second = 0;
};

inline long long daysFromCivil(long long y, int m, int d) {
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const long long yoe = y - era * 400;
    const long long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const long long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

inline bool isLeapYear(long long y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

inline int daysInMonth(long long y, int m) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && isLeapYear(y) ? 29 : days[m - 1];
}

inline double toDays(const DateTime &t) {
    return static_cast<double>(daysFromCivil(t.year, t.month, t.day)) +
           (t.hour * 3600 + t.minute * 60 + t.second) / 86400.0;
}

inline DateTime fromDays(double days) {
    const auto seconds = static_cast<long long>(days * 86400.0 + (days >= 0 ? 0.5 : -0.5));
    long long z = seconds >= 0 ? seconds / 86400 : (seconds - 86399) / 86400;
    const long long secs = seconds - z * 86400;
    z += 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const long long doe = z - era * 146097;
    const long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const long long mp = (5 * doy + 2) / 153;
    DateTime t;
    t.day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    t.month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    t.year = yoe + era * 400 + (t.month <= 2);
    t.hour = static_cast<int>(secs / 3600);
    t.minute = static_cast<int>(secs / 60 % 60);
    t.second = static_cast<int>(secs % 60);
    return t;
}

// "YYYY-MM-DD" or "YYYY-MM-DD HH:MM:SS"; nothing for any other text.
// A date, or a timestamp whose fraction of a second ("…:SS.fff") is left aside.
inline std::optional<DateTime> parseStoredDate(std::string_view text) {
    if (text.size() > 20 && text[19] == '.' &&
        text.find_first_not_of("0123456789", 20) == std::string_view::npos)
        text = text.substr(0, 19);
    if (text.size() != 10 && text.size() != 19)
        return std::nullopt;
    const auto digits = [&](std::size_t at, std::size_t n, long long &out) {
        out = 0;
        for (std::size_t k = at; k < at + n; ++k) {
            if (text[k] < '0' || text[k] > '9')
                return false;
            out = out * 10 + (text[k] - '0');
        }
        return true;
    };
    long long y, m, d, hh = 0, mi = 0, ss = 0;
    if (!digits(0, 4, y) || text[4] != '-' || !digits(5, 2, m) || text[7] != '-' ||
        !digits(8, 2, d) || m < 1 || m > 12 || d < 1 || d > daysInMonth(y, static_cast<int>(m)))
        return std::nullopt;
    if (text.size() == 19 &&
        (text[10] != ' ' || !digits(11, 2, hh) || text[13] != ':' || !digits(14, 2, mi) ||
         text[16] != ':' || !digits(17, 2, ss) || hh > 23 || mi > 59 || ss > 59))
        return std::nullopt;
    return DateTime{y,
                    static_cast<int>(m),
                    static_cast<int>(d),
                    static_cast<int>(hh),
                    static_cast<int>(mi),
                    static_cast<int>(ss)};
}

inline std::string storedDate(const DateTime &t) {
    char text[96];
    std::snprintf(text, sizeof text, "%04lld-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day,
                  t.hour, t.minute, t.second);
    return text;
}

} // namespace bm::db

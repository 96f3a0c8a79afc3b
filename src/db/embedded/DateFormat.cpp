#include "db/embedded/DateFormat.h"

#include <cctype>

namespace bm::db {

namespace {

bool isUpper(char c) {
    return std::isupper(static_cast<unsigned char>(c)) != 0;
}

void appendNumber(std::string &out, long long value, int width, bool fill) {
    char digits[24];
    int n = 0;
    const bool negative = value < 0;
    unsigned long long v = negative ? 0ULL - static_cast<unsigned long long>(value)
                                    : static_cast<unsigned long long>(value);
    do {
        digits[n++] = static_cast<char>('0' + v % 10);
        v /= 10;
    } while (v != 0);
    if (negative)
        out += '-';
    for (int k = n; fill && k < width; ++k)
        out += '0';
    while (n > 0)
        out += digits[--n];
}

} // namespace

DateFormat::DateFormat(std::string_view format) {
    bool fill = true;
    struct Name {
        std::string_view element;
        Kind kind;
    };
    // Longer elements before those they begin with.
    static const Name kElements[] = {{"YYYY", Kind::Year},
                                     {"YY", Kind::TwoDigitYear},
                                     {"RR", Kind::TwoDigitYear},
                                     {"MONTH", Kind::MonthName},
                                     {"MON", Kind::MonthAbbreviation},
                                     {"MM", Kind::Month},
                                     {"MI", Kind::Minute},
                                     {"DDD", Kind::DayOfYear},
                                     {"DAY", Kind::DayName},
                                     {"DY", Kind::DayAbbreviation},
                                     {"DD", Kind::Day},
                                     {"HH24", Kind::Hour24},
                                     {"HH12", Kind::Hour12},
                                     {"HH", Kind::Hour12},
                                     {"SS", Kind::Second},
                                     {"AM", Kind::Meridian},
                                     {"PM", Kind::Meridian},
                                     {"A.M.", Kind::MeridianWithDots},
                                     {"P.M.", Kind::MeridianWithDots},
                                     {"Q", Kind::Quarter},
                                     {"WW", Kind::Week}};
    for (std::size_t i = 0; i < format.size();) {
        if (format[i] == '"') {
            const std::size_t end = format.find('"', i + 1);
            if (end == std::string_view::npos)
                throw FormatError{"ORA-01861: literal does not match format string"};
            elements_.push_back(
                {Kind::Text, fill, Case::Upper, std::string(format.substr(i + 1, end - i - 1))});
            i = end + 1;
            continue;
        }
        if (startsWithNoCase(format, i, "FM")) {
            fill = !fill;
            i += 2;
            continue;
        }
        if (std::string_view(" -/,.;:").find(format[i]) != std::string_view::npos) {
            if (!elements_.empty() && elements_.back().kind == Kind::Text)
                elements_.back().text += format[i];
            else
                elements_.push_back({Kind::Text, fill, Case::Upper, std::string(1, format[i])});
            ++i;
            continue;
        }
        const Name *found = nullptr;
        for (const Name &name : kElements)
            if (startsWithNoCase(format, i, name.element)) {
                found = &name;
                break;
            }
        if (!found)
            throw FormatError{"ORA-01821: date format not recognized"};
        // Names follow the case the element is written in: MONTH, Month or month.
        const Case letters =
            isUpper(format[i]) && (i + 1 >= format.size() || isUpper(format[i + 1])) ? Case::Upper
            : isUpper(format[i])                                                     ? Case::Capital
                                                                                     : Case::Lower;
        elements_.push_back({found->kind, fill, letters, {}});
        i += found->element.size();
    }
}

void DateFormat::write(const DateTime &t, std::string &out) const {
    const long long days = daysFromCivil(t.year, t.month, t.day);
    const int weekday = static_cast<int>(((days % 7) + 11) % 7);
    const int dayOfYear = static_cast<int>(days - daysFromCivil(t.year, 1, 1)) + 1;
    const auto name = [&](const Element &e, std::string_view word, std::size_t width, bool pad) {
        for (std::size_t k = 0; k < word.size(); ++k) {
            const bool upper = e.letters == Case::Upper || (e.letters == Case::Capital && k == 0);
            out += upper ? word[k]
                         : static_cast<char>(std::tolower(static_cast<unsigned char>(word[k])));
        }
        if (pad && word.size() < width)
            out.append(width - word.size(), ' ');
    };
    for (const Element &e : elements_) {
        switch (e.kind) {
        case Kind::Text:
            out += e.text;
            break;
        case Kind::Year:
            appendNumber(out, t.year, 4, e.fill);
            break;
        case Kind::TwoDigitYear:
            appendNumber(out, t.year % 100, 2, true);
            break;
        case Kind::MonthName:
            name(e, kMonths[t.month - 1], 9, e.fill);
            break;
        case Kind::MonthAbbreviation:
            name(e, std::string_view(kMonths[t.month - 1]).substr(0, 3), 3, e.fill);
            break;
        case Kind::Month:
            appendNumber(out, t.month, 2, e.fill);
            break;
        case Kind::Minute:
            appendNumber(out, t.minute, 2, e.fill);
            break;
        case Kind::DayOfYear:
            appendNumber(out, dayOfYear, 3, e.fill);
            break;
        case Kind::DayName:
            name(e, kDays[weekday], 9, e.fill);
            break;
        case Kind::DayAbbreviation:
            name(e, std::string_view(kDays[weekday]).substr(0, 3), 3, e.fill);
            break;
        case Kind::Day:
            appendNumber(out, t.day, 2, e.fill);
            break;
        case Kind::Hour24:
            appendNumber(out, t.hour, 2, e.fill);
            break;
        case Kind::Hour12:
            appendNumber(out, t.hour % 12 == 0 ? 12 : t.hour % 12, 2, e.fill);
            break;
        case Kind::Second:
            appendNumber(out, t.second, 2, e.fill);
            break;
        case Kind::Meridian:
            name(e, t.hour < 12 ? "AM" : "PM", 2, false);
            break;
        case Kind::MeridianWithDots:
            name(e, t.hour < 12 ? "A.M." : "P.M.", 4, false);
            break;
        case Kind::Quarter:
            out += static_cast<char>('0' + (t.month - 1) / 3 + 1);
            break;
        case Kind::Week:
            appendNumber(out, (dayOfYear - 1) / 7 + 1, 2, e.fill);
            break;
        }
    }
}

} // namespace bm::db

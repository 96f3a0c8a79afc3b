#pragma once

// A TO_CHAR date format model read once into its elements, so that a query formatting a million
// dates with one format reads the format once.

#include "db/embedded/OracleDates.h"

#include <string>
#include <string_view>
#include <vector>

namespace bm::db {

struct FormatError {
    const char *message;
};

class DateFormat {
public:
    // Raises FormatError (ORA-01821, ORA-01861) for a format Oracle would refuse.
    explicit DateFormat(std::string_view format);

    // Appends the date as the format writes it.
    void write(const DateTime &t, std::string &out) const;

private:
    enum class Kind {
        Text,
        Year,
        TwoDigitYear,
        MonthName,
        MonthAbbreviation,
        Month,
        Minute,
        DayOfYear,
        DayName,
        DayAbbreviation,
        Day,
        Hour24,
        Hour12,
        Second,
        Meridian,
        MeridianWithDots,
        Quarter,
        Week
    };
    enum class Case { Upper, Capital, Lower };
    struct Element {
        Kind kind;
        bool fill; // padded (no FM in force)
        Case letters;
        std::string text; // for Text
    };
    std::vector<Element> elements_;
};

} // namespace bm::db

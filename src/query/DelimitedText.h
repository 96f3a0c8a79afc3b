#pragma once

// The comma-separated form of a result: a header line of field names, then one line per record,
// each value trimmed of blanks (null as nothing), lines ended by CR LF. A value holding the
// delimiter, a quotation mark or a line break is quoted, its quotation marks doubled, so that
// every row reads back whole.

#include "db/core/Recordset.h"

#include <QString>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// Appends the delimited text of the whole recordset to a sink with append(std::string_view)
// taking UTF-8, the header line first unless header is false (a further part of a result
// written in parts); returns the number of records written.
template <class Sink>
std::size_t writeDelimited(const bm::db::Recordset &recordset, std::string_view delimiter,
                           Sink &sink, bool header = true);

namespace delimited_detail {

inline std::string_view trimBlanks(std::string_view text, bool trim) {
    if (!trim)
        return text;
    std::size_t a = 0, b = text.size();
    while (a < b && text[a] == ' ')
        ++a;
    while (b > a && text[b - 1] == ' ')
        --b;
    return text.substr(a, b - a);
}

template <class Sink>
void appendValue(std::string_view value, std::string_view delimiter, Sink &sink) {
    bool quote = false;
    for (char c : value) {
        if (c == '"' || c == '\r' || c == '\n' || (delimiter.size() == 1 && c == delimiter[0])) {
            quote = true;
            break;
        }
    }
    if (!quote && delimiter.size() > 1)
        quote = value.find(delimiter) != std::string_view::npos;
    if (!quote) {
        sink.append(value);
        return;
    }
    sink.append("\"");
    std::size_t start = 0;
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] == '"') {
            sink.append(value.substr(start, i + 1 - start));
            sink.append("\"");
            start = i + 1;
        }
    }
    sink.append(value.substr(start));
    sink.append("\"");
}

} // namespace delimited_detail

template <class Sink>
std::size_t writeDelimited(const bm::db::Recordset &recordset, std::string_view delimiter,
                           Sink &sink, bool header) {
    using namespace delimited_detail;
    const int fields = recordset.fieldCount();
    // The first heading as the field names it; the others trimmed.
    for (int i = 0; header && i < fields; ++i) {
        if (i)
            sink.append(delimiter);
        appendValue(trimBlanks(recordset.fieldName(i), i > 0), delimiter, sink);
    }
    if (header)
        sink.append("\r\n");
    const std::size_t records = recordset.recordCount();
    std::vector<bm::db::Recordset::ColumnCursor> columns;
    for (int i = 0; i < fields; ++i)
        columns.emplace_back(recordset, i);
    for (std::size_t row = 0; row < records; ++row) {
        for (int i = 0; i < fields; ++i) {
            if (i)
                sink.append(delimiter);
            if (const auto value = columns[i].next())
                appendValue(trimBlanks(*value, true), delimiter, sink);
        }
        sink.append("\r\n");
    }
    return records;
}

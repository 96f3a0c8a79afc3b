#pragma once

// A growable text buffer for building long strings by many small appends (the comma-separated
// result text) without copying the whole string on every append.

#include <QString>
#include <cstdint>
#include <string_view>

class cString {
public:
    cString();

    QString Text() const;
    void setText(const QString &text);
    void Cat(const QString &part);
    // Appends UTF-8 text, decoded straight into the buffer (no temporary string per part).
    void CatUtf8(std::string_view part);
    std::int32_t Length() const;
    std::int32_t Increment() const;
    // Values of 0 or less are ignored.
    void setIncrement(std::int32_t increment);

    // The capacity, spare blanks included.
    std::int32_t capacity() const;

    // The used length after appending n characters to u; raises the overflow error past the
    // 32-bit range.
    static std::int32_t grownLength(std::int32_t used, std::int64_t appended);

private:
    // Makes room for n more characters by the growth rule.
    void reserveFor(std::int64_t n);

    QString buffer_;
    std::int32_t used_ = 0;
    std::int32_t increment_ = 50000;
};

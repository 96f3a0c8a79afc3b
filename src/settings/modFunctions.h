#pragma once

// Small general routines: reading a whole text file, and the key filter of record-limit boxes.

#include <QObject>
#include <QString>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>

// The whole text of the file, or nothing when it cannot be opened or read (never part of it);
// why, when given, then says what went wrong.
std::optional<QString> Read_File(const QString &path, QString *why = nullptr);

// 8 (Backspace) and the digits 48-57 pass unchanged; every other code gives 0 (discarded).
int Filter_Numeric_Key(int keyCode);

// Lets only what Filter_Numeric_Key passes reach a text box, typed or pasted.
class NumericKeyFilter : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    // Installs the filter on a line edit, and the record-limit validator, so that pasted text
    // obeys it too.
    static void install(class QLineEdit *edit);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
};

// How the options file's values become numbers: a value that is no number, or out of its
// field's range, is a failed conversion; halves round to the even neighbour.
// A strict 16-bit conversion: empty, non-numeric or out-of-range text gives nothing.
std::optional<std::int16_t> toInt16Strict(const QString &text);
// The numeric value of the text's leading number (0 when there is none).
double leadingNumber(const QString &text);
// Rounded half to even into the integer type's range; nothing when out of range.
template <class Integer> std::optional<Integer> roundTo(double value) {
    const double rounded = std::nearbyint(value);
    if (!std::isfinite(rounded) || rounded < double(std::numeric_limits<Integer>::min()) ||
        rounded > double(std::numeric_limits<Integer>::max()))
        return std::nullopt;
    return static_cast<Integer>(rounded);
}
std::optional<std::int32_t> roundToInt32(double value);
std::optional<std::int16_t> roundToInt16(double value);

#include "TextCodec.h"

#include <QStringDecoder>

QString decodeWindows1252(const QByteArray &bytes) {
    // 0x80-0x9F differ from Latin-1; 0 marks the five undefined codes, kept as their byte value.
    static const char16_t high[32] = {
        0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};
    QString text;
    text.reserve(bytes.size());
    for (const char byte : bytes) {
        const auto c = static_cast<unsigned char>(byte);
        if (c >= 0x80 && c < 0xA0 && high[c - 0x80])
            text.append(QChar(high[c - 0x80]));
        else
            text.append(QChar(c));
    }
    return text;
}

QString decodeText(const QByteArray &bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringConverter::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (utf8.hasError())
        return decodeWindows1252(bytes);
    return text;
}

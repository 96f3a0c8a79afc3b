#include "cString.h"

#include "sql/AppError.h"

#include <QStringDecoder>
#include <algorithm>
#include <limits>

cString::cString() {
    bm::reraiseLabelled(", CConCat.Class_Initialize", [&] {
        used_ = 0;
        increment_ = 50000;
    });
}

std::int32_t cString::grownLength(std::int32_t used, std::int64_t appended) {
    const std::int64_t length = std::int64_t{used} + appended;
    if (length > std::numeric_limits<std::int32_t>::max())
        throw bm::AppError(bm::kErrOverflow, {}, "Overflow");
    return static_cast<std::int32_t>(length);
}

QString cString::Text() const {
    return bm::reraiseLabelled(", CConCat.Text", [&] { return buffer_.left(used_); });
}

void cString::setText(const QString &text) {
    bm::reraiseLabelled(", CConCat.Text", [&] {
        used_ = grownLength(0, text.size());
        buffer_ = text;
    });
}

void cString::reserveFor(std::int64_t n) {
    const std::int32_t length = grownLength(used_, n);
    const auto current = static_cast<std::int32_t>(buffer_.size());
    // A buffer that is exactly full grows even for an empty part.
    if (length >= current) {
        const std::int64_t grown = std::int64_t{current} + std::max<std::int64_t>(increment_, n);
        buffer_.resize(grownLength(0, grown), QChar(' '));
    }
}

void cString::Cat(const QString &part) {
    bm::reraiseLabelled(", CConCat.Cat", [&] {
        const auto n = static_cast<std::int32_t>(part.size());
        reserveFor(n);
        std::copy(part.constData(), part.constData() + n, buffer_.data() + used_);
        used_ += n;
    });
}

void cString::CatUtf8(std::string_view part) {
    bm::reraiseLabelled(", CConCat.Cat", [&] {
        // UTF-8 never takes fewer bytes than UTF-16 code units.
        reserveFor(static_cast<std::int64_t>(part.size()));
        char16_t *out = reinterpret_cast<char16_t *>(buffer_.data()) + used_;
        std::size_t i = 0;
        for (; i < part.size(); ++i) {
            const auto c = static_cast<unsigned char>(part[i]);
            if (c >= 0x80)
                break;
            out[i] = c;
        }
        if (i < part.size()) {
            QStringDecoder decoder(QStringDecoder::Utf8, QStringConverter::Flag::Stateless);
            const std::string_view rest = part.substr(i);
            QChar *end = decoder.appendToBuffer(reinterpret_cast<QChar *>(out + i),
                                                QByteArrayView(rest.data(), rest.size()));
            used_ = static_cast<std::int32_t>(end - buffer_.data());
        } else {
            used_ += static_cast<std::int32_t>(part.size());
        }
    });
}

std::int32_t cString::Length() const {
    return bm::reraiseLabelled(", CConCat.Length", [&] { return used_; });
}

std::int32_t cString::Increment() const {
    return bm::reraiseLabelled(", CConCat.Increment", [&] { return increment_; });
}

void cString::setIncrement(std::int32_t increment) {
    bm::reraiseLabelled(", CConCat.Increment", [&] {
        if (increment > 0)
            increment_ = increment;
    });
}

std::int32_t cString::capacity() const {
    return static_cast<std::int32_t>(buffer_.size());
}

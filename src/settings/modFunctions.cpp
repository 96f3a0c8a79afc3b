#include "modFunctions.h"

#include "RecordLimitValidator.h"
#include "common/TextCodec.h"

#include <QEvent>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QLocale>
#include <cmath>
#include <limits>

std::optional<QString> Read_File(const QString &path, QString *why) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (why)
            *why = file.errorString();
        return std::nullopt;
    }
    const qint64 size = file.size();
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError || (size > 0 && bytes.size() != size)) {
        if (why)
            *why = file.errorString();
        return std::nullopt;
    }
    return decodeText(bytes);
}

int Filter_Numeric_Key(int keyCode) {
    if (keyCode == 8 || (keyCode >= 48 && keyCode <= 57))
        return keyCode;
    return 0;
}

void NumericKeyFilter::install(QLineEdit *edit) {
    edit->installEventFilter(new NumericKeyFilter(edit));
    edit->setValidator(new RecordLimitValidator(edit));
}

bool NumericKeyFilter::eventFilter(QObject *watched, QEvent *event) {
    if (event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        const QString text = key->text();
        // Keys without a character (arrows, Delete, shortcuts) are not typed characters.
        if (!text.isEmpty() && text.at(0).isPrint() && !(key->modifiers() & Qt::ControlModifier) &&
            Filter_Numeric_Key(text.at(0).unicode()) == 0)
            return true;
    }
    return QObject::eventFilter(watched, event);
}

std::optional<std::int16_t> toInt16Strict(const QString &text) {
    bool ok = false;
    const double value = QLocale::c().toDouble(text.trimmed(), &ok);
    if (!ok)
        return std::nullopt;
    return roundToInt16(value);
}

double leadingNumber(const QString &text) {
    int i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\n'))
        ++i;
    const int start = i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        ++i;
    const int digitsStart = i;
    while (i < text.size() && text[i].isDigit() && text[i].unicode() < 128)
        ++i;
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && text[i].isDigit() && text[i].unicode() < 128)
            ++i;
    }
    if (i == digitsStart || (i == digitsStart + 1 && text[digitsStart] == '.'))
        return 0;
    int end = i;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        int j = i + 1;
        if (j < text.size() && (text[j] == '+' || text[j] == '-'))
            ++j;
        if (j < text.size() && text[j].isDigit()) {
            while (j < text.size() && text[j].isDigit())
                ++j;
            end = j;
        }
    }
    return QLocale::c().toDouble(text.mid(start, end - start));
}

std::optional<std::int32_t> roundToInt32(double value) {
    return roundTo<std::int32_t>(value);
}

std::optional<std::int16_t> roundToInt16(double value) {
    return roundTo<std::int16_t>(value);
}

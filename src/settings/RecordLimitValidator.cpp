#include "RecordLimitValidator.h"

#include <limits>

QValidator::State RecordLimitValidator::validate(QString &input, int &) const {
    for (const QChar c : input)
        if (c < '0' || c > '9')
            return Invalid;
    if (input.isEmpty())
        return Acceptable;
    bool ok = false;
    const qulonglong value = input.toULongLong(&ok);
    if (!ok || value > qulonglong(std::numeric_limits<qint32>::max()))
        return Invalid;
    return Acceptable;
}

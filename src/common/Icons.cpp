#include "Icons.h"

#include <QFile>

QIcon iconFor(const QString &key) {
    const QString path = ":/icons/" + key + ".svg";
    return QFile::exists(path) ? QIcon(path) : QIcon();
}

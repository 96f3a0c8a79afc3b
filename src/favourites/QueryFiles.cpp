#include "favourites/QueryFiles.h"

#include "settings/modFunctions.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>

CQueryFile &ColQueryFiles::Add(const QString &queryName, const QString &fileName,
                               const QString &key) {
    auto file = std::make_shared<CQueryFile>();
    file->QueryName = queryName;
    file->FileName = fileName;
    return append(std::move(file), key);
}

QString favouritesFilePath() {
    return QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation) +
           "/Queries/Queries.dat";
}

ColQueryFiles Load_Query_Files(const QString &path) {
    ColQueryFiles files;
    const std::optional<QString> text = Read_File(path);
    if (!text)
        return files;
    for (const QString &line : text->split(QRegularExpression("\r\n|\n|\r"))) {
        const qsizetype bar = line.indexOf('|');
        if (bar < 0)
            continue; // a blank or damaged line: the others still count
        files.Add(line.left(bar), line.mid(bar + 1));
    }
    return files;
}

bool appendFavourite(const QString &path, const QString &name, const QString &fileName,
                     QString *why) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    // A list whose last line has no line end gets one first, so the new favourite stands alone.
    QByteArray line;
    if (file.exists() && file.size() > 0 && file.open(QIODevice::ReadOnly)) {
        file.seek(file.size() - 1);
        if (file.read(1) != "\n")
            line = "\r\n";
        file.close();
    }
    line += (name + "|" + fileName + "\r\n").toUtf8();
    if (file.open(QIODevice::Append) && file.write(line) == line.size() && file.flush())
        return true;
    if (why)
        *why = file.errorString();
    return false;
}

#include "QueryFile.h"

#include "settings/modFunctions.h"

#include <QSaveFile>

std::optional<QString> readQueryFile(const QString &path, QString *why) {
    std::optional<QString> text = Read_File(path, why);
    if (text) {
        // The editor holds line breaks as LF; CR LF and a lone CR read as one each.
        text->replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        text->replace(QChar('\r'), QChar('\n'));
    }
    return text;
}

bool writeQueryFile(const QString &path, const QString &text, QString *why) {
    QString lines = text;
    lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    lines.replace(QChar::ParagraphSeparator, QChar('\n'));
    lines.replace(QChar('\n'), QStringLiteral("\r\n"));
    const QByteArray bytes = (lines + QStringLiteral("\r\n")).toUtf8();
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit())
        return true;
    if (why)
        *why = file.errorString();
    return false;
}

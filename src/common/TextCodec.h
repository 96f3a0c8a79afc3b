#pragma once

// Text files: written as UTF-8; read as UTF-8, or as Windows-1252 when the bytes are not valid
// UTF-8 (files written by the program's Windows predecessor).

#include <QByteArray>
#include <QString>

QString decodeText(const QByteArray &bytes);
QString decodeWindows1252(const QByteArray &bytes);

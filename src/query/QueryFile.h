#pragma once

// Query files on disk: the editor's text read whole and written back with CR LF line ends and
// one final CR LF. No window is involved, so tests drive this directly.

#include <QString>
#include <optional>

// The file's text as the editor shows it: UTF-8, or Windows-1252 where the bytes are not valid
// UTF-8 (files written by the original program); line ends become line breaks of the editor.
// Nothing when the file cannot be read; why then says what went wrong.
std::optional<QString> readQueryFile(const QString &path, QString *why = nullptr);

// Writes the editor's text as UTF-8 with CR LF line ends, followed by one CR LF. The file is
// replaced only when the whole text is written: a failure leaves the old file as it was. False
// on failure, with the reason in why.
bool writeQueryFile(const QString &path, const QString &text, QString *why = nullptr);

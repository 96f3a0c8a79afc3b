#pragma once

// The options file: six "key|value" lines, read once at start-up and rewritten by the options
// dialog.

#include "AppOptions.h"

#include <QString>

// Reads OptionsFile into AppOptions, creating the file with the defaults when it cannot be read.
// A line that fails its conversion stops the reading there, silently. When the file can be
// neither read nor created, AppOptions holds the defaults and the user is told so.
void Read_Options();

// Writes the options to OptionsFile, replacing it whole or not at all. When it cannot, the user
// is told why and false is returned; the options in memory stay in effect.
bool Save_Options(const AppOptionsRecord &options);

// The file's text for a record, and the record read from a text.
QString optionsFileText(const AppOptionsRecord &options);
// Applies the file's lines to the record in order, stopping at the first failing conversion.
void applyOptionsText(const QString &text, AppOptionsRecord &options);

// A template is written as typed unless it holds a line break (or could be mistaken for an
// escaped one): then it is escaped so that it stays on its one line.
QString encodeTemplate(const QString &templateText);
QString decodeTemplate(const QString &stored);

#pragma once

// The six process-wide user options and where they are kept.

#include <QString>
#include <cstdint>

// The output choices of a query window, as its list shows them.
inline const QString kOutputGrid = QStringLiteral("Grid");
inline const QString kOutputCsv = QStringLiteral("Comma Seperated Values(CSV)");
inline const QString kOutputFile = QStringLiteral("File");

// A record starts with the default options, the ones a new options file is written with.
struct AppOptionsRecord {
    QString OutputResults = kOutputGrid;
    std::int16_t ShowResults = 1;
    std::int16_t ShowEP = 0;
    QString QueryTemplate;
    std::int32_t RecordLimit = 0;
    std::int16_t ColourCodeScript = 1;

    bool operator==(const AppOptionsRecord &) const = default;
};

extern AppOptionsRecord AppOptions;
// The options file's full path; set by the main window before the options are read.
extern QString OptionsFile;

// Options.DAT in the per-user configuration folder.
QString defaultOptionsFilePath();

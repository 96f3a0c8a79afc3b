#include "ProgramSettings.h"

#include <QStandardPaths>

std::unique_ptr<QSettings> programSettings() {
    return std::make_unique<QSettings>(
        QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation) + "/Brindlemark.conf",
        QSettings::IniFormat);
}

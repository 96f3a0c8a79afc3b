#pragma once

// The program's settings beyond the options file: Brindlemark.conf in the per-user
// configuration folder, an INI file a user can edit.

#include <QSettings>
#include <memory>

std::unique_ptr<QSettings> programSettings();

#pragma once

// Points the program's per-user folders at a fresh temporary folder, so that tests never read or
// write the real configuration or sample database.

#include <QString>
#include <QTemporaryDir>
#include <string>

// The script the sample database is built from, as the project ships it.
std::string sampleSchemaScript();

class TestEnvironment {
public:
    TestEnvironment();
    QString path() const { return dir_.path(); }
    // A path inside the temporary folder.
    QString file(const QString &name) const { return dir_.filePath(name); }

private:
    QTemporaryDir dir_;
};

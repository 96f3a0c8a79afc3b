#include "QueryDocument.h"

#include "QueryFile.h"

void QueryDocument::setFileName(const QString &name) {
    fileName_ = name;
    emit fileNameChanged(name);
}

bool QueryDocument::save(const QString &path, const QString &text, QString *why) {
    if (!writeQueryFile(path, text, why))
        return false;
    setFileName(path);
    setUnsavedChanges(false);
    return true;
}

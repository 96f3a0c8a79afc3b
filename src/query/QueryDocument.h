#pragma once

// A query window's document: the file it belongs to, whether its text has changed since it was
// opened or saved, and writing that file.

#include <QObject>
#include <QString>

class QueryDocument : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    QString fileName() const { return fileName_; }
    void setFileName(const QString &name);
    bool unsavedChanges() const { return unsavedChanges_; }
    void setUnsavedChanges(bool changed) {
        if (changed == unsavedChanges_)
            return;
        unsavedChanges_ = changed;
        emit unsavedChangesChanged(changed);
    }

    // Writes the text to the file; on success the document belongs to it and is unchanged. A
    // failure changes nothing, in the document or on disk.
    bool save(const QString &path, const QString &text, QString *why);

signals:
    void fileNameChanged(const QString &name);
    void unsavedChangesChanged(bool changed);

private:
    QString fileName_;
    bool unsavedChanges_ = false;
};

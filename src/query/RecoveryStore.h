#pragma once

// Unsaved query text kept on disk, so that nothing typed is lost when the program or the machine
// stops: each query window's text goes to a file of its own in the per-user data folder a moment
// after the typing stops, and the file goes when the window is saved or closed through the
// usual questions. Files left by a run that did not end normally are offered back at start.
//
// Every run holds a lock file; a run's files count as left behind only when no live program
// holds its lock, so two programs running side by side never take each other's files.

#include <QList>
#include <QLockFile>
#include <QObject>
#include <QString>
#include <QThreadPool>
#include <QTimer>
#include <memory>

class QPlainTextEdit;
class QueryDocument;

class RecoveryStore {
public:
    static RecoveryStore &instance();
    ~RecoveryStore();

    QString directory() const { return directory_; }
    // A file name for one more window of this run.
    QString newEntryPath();
    // Written (atomically) or removed on a worker thread, in the order asked.
    void write(const QString &path, const QString &fileName, const QString &text);
    void remove(const QString &path);
    // Waits until everything asked so far is on disk.
    void waitForWrites();

    struct Entry {
        QString path, fileName, text;
    };
    // The files of runs that ended without closing their windows; their locks are taken.
    QList<Entry> leftBehind();
    // Removes the files of those runs, and their locks.
    void forget(const QList<Entry> &entries);

private:
    RecoveryStore();

    QString directory_;
    std::unique_ptr<QLockFile> lock_;
    std::vector<std::unique_ptr<QLockFile>> takenLocks_; // of runs that ended abnormally
    QThreadPool writer_;
    int serial_ = 0;
};

// Keeps one query window's unsaved text in its recovery file.
class WindowRecovery : public QObject {
    Q_OBJECT
public:
    static constexpr int kQuietMilliseconds = 2000;

    WindowRecovery(QPlainTextEdit *editor, QueryDocument *document, QObject *parent);
    ~WindowRecovery() override;

    QString path() const { return path_; }

private:
    void save();
    void drop();

    QPlainTextEdit *editor_;
    QueryDocument *document_;
    QTimer quiet_;
    QString path_;
    bool written_ = false;
};

#include "RecoveryStore.h"

#include "QueryDocument.h"

#include <QCoreApplication>
#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPlainTextEdit>
#include <QSaveFile>
#include <QStandardPaths>

namespace {

QString pidOf(const QString &entryName) {
    return entryName.section('-', 0, 0);
}

} // namespace

RecoveryStore &RecoveryStore::instance() {
    static RecoveryStore store;
    return store;
}

RecoveryStore::RecoveryStore()
    : directory_(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + "/recovery") {
    QDir().mkpath(directory_);
    lock_ = std::make_unique<QLockFile>(
        directory_ + QString("/run-%1.lock").arg(QCoreApplication::applicationPid()));
    lock_->tryLock(0);
    writer_.setMaxThreadCount(1); // one writer: the files change in the order asked
}

RecoveryStore::~RecoveryStore() {
    writer_.waitForDone();
}

QString RecoveryStore::newEntryPath() {
    return directory_ +
           QString("/%1-%2.json").arg(QCoreApplication::applicationPid()).arg(++serial_);
}

void RecoveryStore::write(const QString &path, const QString &fileName, const QString &text) {
    const QByteArray content =
        QJsonDocument(QJsonObject{{"fileName", fileName}, {"text", text}}).toJson();
    writer_.start([path, content] {
        QSaveFile file(path);
        if (file.open(QIODevice::WriteOnly) && file.write(content) == content.size())
            file.commit();
    });
}

void RecoveryStore::remove(const QString &path) {
    writer_.start([path] { QFile::remove(path); });
}

void RecoveryStore::waitForWrites() {
    writer_.waitForDone();
}

QList<RecoveryStore::Entry> RecoveryStore::leftBehind() {
    QList<Entry> entries;
    const QString own = QString::number(QCoreApplication::applicationPid());
    const QFileInfoList files = QDir(directory_).entryInfoList({"*.json"}, QDir::Files, QDir::Name);
    for (const QFileInfo &info : files) {
        const QString pid = pidOf(info.fileName());
        if (pid == own)
            continue;
        bool taken = false;
        for (const auto &lock : takenLocks_)
            taken = taken || lock->fileName().endsWith("/run-" + pid + ".lock");
        if (!taken) {
            // A lock no live program holds: that run ended without closing its windows.
            auto lock = std::make_unique<QLockFile>(directory_ + "/run-" + pid + ".lock");
            if (!lock->tryLock(0))
                continue; // that program still runs
            takenLocks_.push_back(std::move(lock));
        }
        QFile file(info.filePath());
        if (!file.open(QIODevice::ReadOnly))
            continue;
        const QJsonObject object = QJsonDocument::fromJson(file.readAll()).object();
        entries.append({info.filePath(), object.value("fileName").toString(),
                        object.value("text").toString()});
    }
    return entries;
}

void RecoveryStore::forget(const QList<Entry> &entries) {
    for (const Entry &entry : entries)
        QFile::remove(entry.path);
    for (const auto &lock : takenLocks_)
        lock->unlock(); // removes the lock file
    takenLocks_.clear();
}

WindowRecovery::WindowRecovery(QPlainTextEdit *editor, QueryDocument *document, QObject *parent)
    : QObject(parent), editor_(editor), document_(document) {
    quiet_.setSingleShot(true);
    quiet_.setInterval(kQuietMilliseconds);
    connect(&quiet_, &QTimer::timeout, this, &WindowRecovery::save);
    connect(editor_, &QPlainTextEdit::textChanged, this, [this] { quiet_.start(); });
    connect(document_, &QueryDocument::unsavedChangesChanged, this, [this](bool changed) {
        if (changed)
            quiet_.start();
        else
            drop();
    });
}

WindowRecovery::~WindowRecovery() {
    // The window closed through the usual questions: what it held was saved or let go.
    drop();
}

void WindowRecovery::save() {
    if (!document_->unsavedChanges())
        return;
    if (path_.isEmpty())
        path_ = RecoveryStore::instance().newEntryPath();
    RecoveryStore::instance().write(path_, document_->fileName(), editor_->toPlainText());
    written_ = true;
}

void WindowRecovery::drop() {
    quiet_.stop();
    if (written_)
        RecoveryStore::instance().remove(path_);
    written_ = false;
}

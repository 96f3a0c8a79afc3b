#pragma once

// The trace of the SQL sent to the database, as a signal: whoever sends SQL writes an entry,
// from any thread; the trace window, on the window thread, takes the entries in order.

#include <QObject>
#include <QString>

class TraceLog : public QObject {
    Q_OBJECT
public:
    static TraceLog &instance();
    void write(const QString &entry) { emit written(entry); }

signals:
    void written(const QString &entry);

private:
    TraceLog() = default;
};

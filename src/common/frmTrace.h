#pragma once

// The hidden diagnostic log of the SQL sent to the database, newest entry first.

#include <QWidget>

class QPlainTextEdit;
class QPushButton;

class frmTrace : public QWidget {
    Q_OBJECT
public:
    explicit frmTrace(QWidget *parent = nullptr);

    // Puts an entry and an empty line above the log, without rewriting what is already there.
    void addEntry(const QString &entry);
    QString logText() const;

    QPlainTextEdit *txtSQL;
    QPushButton *Command1;
};

// Adds an entry to the trace window, creating the window (hidden) when there is none.
void Write_Trace(const QString &entry);
// The trace window, created hidden when there is none. Closing it discards it and its log.
frmTrace *traceWindow();
// The trace window if one exists, else nullptr.
frmTrace *existingTraceWindow();
// Makes the trace window visible and brings it to the front.
void Show_Trace();

#pragma once

// Running a query window's SQL: the batch, SELECT statements and every other statement.

#include <QElapsedTimer>
#include <QString>

class frmQuery;
namespace bm {
class AppError;
}

class QueryRunner {
public:
    explicit QueryRunner(frmQuery &window) : window_(window) {}

    void Run_Queries();
    void Run_SELECT_Query(const QString &text);
    void Run_General_Query(const QString &text);

    // The text a run takes: the selection, or the whole text; line breaks as LF.
    QString textToRun() const;
    // The messages-pane line of a statement the database refused.
    static QString errorLine(const QString &description, const QString &statement);
    // Elapsed time as "0.25 seconds", in the user's locale.
    static QString formatSeconds(qint64 nanoseconds);

private:
    // A statement that failed: its line in the messages pane, and the batch has errors.
    void statementFailed(const bm::AppError &error, const QString &text);

    frmQuery &window_;
    QElapsedTimer clock_;
};

#pragma once

// Running a query window's SQL: the window's side of a batch. It builds the request from what
// the window shows, hands it to the batch executor, and shows what the executor reports: status
// texts, messages, rows, plan and statistics.

#include "BatchExecutor.h"

#include <QObject>
#include <QString>
#include <QTimer>
#include <memory>

class frmQuery;
namespace bm {
class AppError;
}

// What the statistics show of the last run.
struct RunFigures {
    QString RecordCount, PlanCost, PlanCardinality, RetrievalTime, DisplayTime;
};

class QueryRunner : public QObject {
    Q_OBJECT
public:
    explicit QueryRunner(frmQuery &window);
    ~QueryRunner() override;

    // Runs the selected text, or the whole text, as a batch in the background. Nothing happens
    // while a batch of this window is queued or running.
    void Run_Queries();
    // Stops the batch: the running statement is interrupted and the rest does not run.
    void Cancel_Query();
    // Stops the batch and waits for it to end (the window closes).
    void stopAndWait();
    // A batch of this window is queued or running.
    bool running() const;
    BatchExecutor &executor() { return executor_; }

    RunFigures figures;
    bool BatchHasErrors = false;
    // The memory a grid or text result may take: MemoryLimitMB under [Results] in the program's
    // settings, else a quarter of the machine's memory.
    static std::size_t memoryLimit();

    // The text a run takes: the selection, or the whole text; line breaks as LF.
    QString textToRun() const;
    // The messages-pane line of a statement the database refused.
    static QString errorLine(const QString &description, const QString &statement);
    // Elapsed time as "0.25 seconds", in the user's locale.
    static QString formatSeconds(qint64 nanoseconds);

signals:
    void runningChanged(bool running);

private:
    void connectExecutor();
    void setStatus(const QString &text);
    void finishBatch(bool cancelled);

    // While the window's statement runs: whether it waits for another program's lock.
    void watchLockWait();

    frmQuery &window_;
    BatchExecutor executor_;
    QTimer *lockWatch_;
    bool showingLockWait_ = false;
    std::shared_ptr<const bm::db::Recordset> gridRows_;
};

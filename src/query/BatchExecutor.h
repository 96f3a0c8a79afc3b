#pragma once

// Runs a query window's batch on the connection's background worker and reports each step by a
// signal, which reaches the window on its own thread. The request is built on the window's
// thread; nothing here touches a widget.

#include "db/core/Session.h"

#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QString>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>

enum class OutputKind { None, Grid, Text, File };

struct BatchStatement {
    QString text;
    bool select = false;
};

// The statements of a text as a run sends them: cut by the batch splitter, queries marked.
QList<BatchStatement> batchStatements(const QString &text);

class QueryHistory;

struct BatchRequest {
    QList<BatchStatement> statements;
    std::int32_t maxRecords = 0; // 0 or less: no limit
    bool showResults = true;
    bool showPlan = false;
    OutputKind output = OutputKind::Grid;
    // The most memory a grid or text result may take before its fetch stops; 0: no limit.
    std::size_t memoryLimit = 0;
    // Where each statement is recorded, with the data source and user it ran as; none: not.
    QueryHistory *history = nullptr;
    QString dataSource, user;
};

// A plan as the worker read it.
struct PlanResult {
    bool available = false;
    std::shared_ptr<const bm::db::Recordset> rows;
    QString cost, cardinality;
    QString sumsError; // why cost and cardinality could not be read, if they could not
};

class BatchExecutor : public QObject {
    Q_OBJECT
public:
    explicit BatchExecutor(QObject *parent = nullptr);
    // Stops a batch that is queued or running and waits for it to end.
    ~BatchExecutor() override;

    // Queues the batch; false when a batch of this executor is still queued or running.
    bool start(BatchRequest request);
    // Stops the batch: the running statement is interrupted, the rest does not run.
    void cancel();
    // Stops the batch and waits until it has ended, reporting nothing more (its window goes).
    void stopAndWait();
    bool active() const { return active_; }
    // Queued behind another window's batch.
    bool waiting() const;

    // Asked on the window's thread when output goes to a file: the file to write, or empty.
    std::function<QString()> askFileName;
    // The file types offered for results written to a file.
    static inline const QString kResultsFilter =
        "Text File (*.txt)|*.txt|Microsoft Excel File (*.xls)|*.xls|All Files (*.*)|*.*";

    // The rows a fetch takes at once, the first time and after (small first, so the first rows
    // show at once).
    static constexpr std::size_t kFirstBatch = 100;
    static constexpr std::size_t kBatch = 2000;

signals:
    void batchStarted();
    void statementStarted(bool select);
    // Rows fetched so far by the running statement; whether it waits for another program's lock.
    void progress(qint64 rows, bool waitingForLock);
    // Grid output: the rows, shown from their first batch while the fetch goes on.
    void gridStarted(std::shared_ptr<const bm::db::Recordset> rows);
    // Every row the statement gives (or the limit allows) has been fetched.
    void retrieved(qint64 nanoseconds, qint64 rows);
    void noFields();
    void textReady(const QString &text, qint64 records, qint64 nanoseconds);
    // The text could not be made; the text pane keeps what it had.
    void textFailed(const QString &reason);
    void fileDone(qint64 records, qint64 nanoseconds);
    void fileFailed(const QString &name, const QString &reason);
    void planDone(const PlanResult &plan);
    void message(const QString &text);
    void selectFinished();
    void generalFinished();
    void statementFailed(const QString &description, const QString &statement);
    void batchFinished(bool cancelled);

private:
    void run(const BatchRequest &request);
    void Run_SELECT_Query(const BatchRequest &request, const QString &text);
    void Run_General_Query(const QString &text);
    // Fetches into the recordset until the end, the row limit or the memory limit; reports
    // progress. False when the memory limit stopped it.
    bool fetchRows(bm::db::Cursor &cursor, bm::db::Recordset &rows, const BatchRequest &request,
                   bool guardMemory);
    void streamToFile(bm::db::Cursor &cursor, const BatchRequest &request);
    PlanResult fetchPlan(const QString &statement);
    // A failure of the running statement: "Query cancelled." when the user stopped it.
    void failed(const QString &statement);
    void reportProgress(qint64 rows, bool force);
    // Raises the cancelled statement's error once the user has cancelled.
    void throwIfCancelled() const;
    // How many rows the next fetch takes: wanted, or fewer near the row limit; 0 at the limit.
    static std::size_t nextBatch(const BatchRequest &request, std::size_t fetched,
                                 std::size_t wanted);

    std::atomic<bool> cancelled_{false};
    std::atomic<bool> active_{false};
    QElapsedTimer progressClock_;
    qint64 lastProgress_ = 0;
    bool cancelReported_ = false;
    bool quiet_ = false; // stopping for good: nothing more is reported
    // The running statement's outcome, for the history.
    qint64 statementRows_ = -1;
    bool statementFailed_ = false;
    QString statementError_;
};

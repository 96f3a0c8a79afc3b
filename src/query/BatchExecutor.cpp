#include "BatchExecutor.h"
#include "QueryBatch.h"
#include "QueryHistory.h"

#include "DelimitedText.h"
#include "PlanAndStats.h"
#include "common/cString.h"
#include "db/DatabaseSession.h"
#include "db/modDatabase.h"
#include "sql/AppError.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QSaveFile>
#include <future>

namespace {

// Into the text of the text pane.
struct BuilderSink {
    cString &builder;
    void append(std::string_view text) { builder.CatUtf8(text); }
};

// Into a file, in large blocks.
struct FileSink {
    QSaveFile &file;
    std::string block;
    bool failed = false;
    void append(std::string_view text) {
        block.append(text);
        if (block.size() >= (1u << 20))
            flush();
    }
    void flush() {
        if (!failed && !block.empty() &&
            file.write(block.data(), static_cast<qint64>(block.size())) !=
                static_cast<qint64>(block.size()))
            failed = true;
        block.clear();
    }
};

QString describe(const bm::AppError &error) {
    return QString::fromStdString(error.description());
}

} // namespace

QList<BatchStatement> batchStatements(const QString &text) {
    QList<BatchStatement> statements;
    for (const auto &query : Split_Queries(text)) {
        if (query->QueryType.compare("SELECT", Qt::CaseInsensitive) == 0)
            statements.append({query->QueryString, true});
        else if (query->QueryType.compare("GENERAL", Qt::CaseInsensitive) == 0)
            statements.append({query->QueryString, false});
    }
    return statements;
}

BatchExecutor::BatchExecutor(QObject *parent) : QObject(parent) {}

BatchExecutor::~BatchExecutor() {
    stopAndWait();
}

bool BatchExecutor::waiting() const {
    return active_ && DatabaseSession::instance().queued(this);
}

bool BatchExecutor::start(BatchRequest request) {
    if (active_)
        return false;
    active_ = true;
    cancelled_ = false;
    cancelReported_ = false;
    DatabaseSession::Job job;
    job.owner = this;
    job.work = [this, request = std::move(request)] { run(request); };
    job.stop = [this] { cancelled_ = true; };
    job.dropped = [this] {
        // Never started: it ends here, as a cancelled batch does; said only to a window that
        // is not going.
        active_ = false;
        if (quiet_)
            return;
        emit message("Query cancelled.");
        emit batchFinished(true);
    };
    DatabaseSession::instance().submit(std::move(job));
    return true;
}

void BatchExecutor::cancel() {
    if (!active_)
        return;
    cancelled_ = true;
    DatabaseSession &session = DatabaseSession::instance();
    if (session.queued(this)) {
        session.stop(this); // dropped: its end is reported at once
        return;
    }
    // Running: the statement is interrupted; the worker reports the end.
    session.interrupt(this);
}

void BatchExecutor::stopAndWait() {
    if (!active_)
        return;
    cancelled_ = true;
    quiet_ = true;
    DatabaseSession::instance().stop(this);
    quiet_ = false;
}

void BatchExecutor::run(const BatchRequest &request) {
    emit batchStarted();
    const qint64 batch = request.history ? request.history->newBatch() : 0;
    for (const BatchStatement &statement : request.statements) {
        if (cancelled_)
            break;
        emit statementStarted(statement.select);
        statementRows_ = -1;
        statementFailed_ = false;
        statementError_.clear();
        const QDateTime when = QDateTime::currentDateTime();
        QElapsedTimer clock;
        clock.start();
        if (statement.select)
            Run_SELECT_Query(request, statement.text);
        else
            Run_General_Query(statement.text);
        if (request.history)
            request.history->record(
                {0, batch, when, request.dataSource, request.user, statement.text.trimmed(),
                 statementFailed_ ? -1 : statementRows_, clock.nsecsElapsed() / 1e6,
                 !statementFailed_, statementError_});
    }
    if (cancelled_ && !cancelReported_)
        emit message("Query cancelled.");
    const bool cancelled = cancelled_;
    active_ = false;
    emit batchFinished(cancelled);
}

void BatchExecutor::failed(const QString &statement) {
    const bm::AppError error = bm::currentError();
    statementFailed_ = true;
    if (cancelled_) {
        statementError_ = "Query cancelled.";
        if (!cancelReported_)
            emit message("Query cancelled.");
        cancelReported_ = true;
        return;
    }
    statementError_ = describe(error);
    emit statementFailed(statementError_, statement);
}

void BatchExecutor::throwIfCancelled() const {
    if (cancelled_)
        throw bm::AppError(bm::kErrGeneral, "BatchExecutor", bm::db::kCancelledMessage);
}

std::size_t BatchExecutor::nextBatch(const BatchRequest &request, std::size_t fetched,
                                     std::size_t wanted) {
    if (request.maxRecords <= 0)
        return wanted;
    const auto limit = static_cast<std::size_t>(request.maxRecords);
    return fetched >= limit ? 0 : std::min(wanted, limit - fetched);
}

void BatchExecutor::reportProgress(qint64 rows, bool force) {
    // A few times a second is enough for the status line.
    if (!progressClock_.isValid())
        progressClock_.start();
    const qint64 now = progressClock_.elapsed();
    if (!force && now - lastProgress_ < 200)
        return;
    lastProgress_ = now;
    emit progress(rows, cnDatabase && cnDatabase->waitingForLock());
}

bool BatchExecutor::fetchRows(bm::db::Cursor &cursor, bm::db::Recordset &rows,
                              const BatchRequest &request, bool guardMemory) {
    for (;;) {
        throwIfCancelled();
        const std::size_t batch =
            nextBatch(request, rows.recordCount(), rows.recordCount() == 0 ? kFirstBatch : kBatch);
        if (batch == 0 || !cursor.fetch(rows, batch))
            return true;
        reportProgress(static_cast<qint64>(rows.recordCount()), false);
        if (guardMemory && request.memoryLimit && rows.memoryBytes() > request.memoryLimit) {
            emit message(QString("The fetch stopped after %1 rows: the result would take more "
                                 "than %2 MB of memory. Set a record limit, or send the "
                                 "results to a file.")
                             .arg(rows.recordCount())
                             .arg(request.memoryLimit >> 20));
            return false;
        }
    }
}

void BatchExecutor::Run_SELECT_Query(const BatchRequest &request, const QString &text) {
    QElapsedTimer clock;
    clock.start();
    lastProgress_ = 0;
    std::unique_ptr<bm::db::Cursor> cursor;
    try {
        cursor = Shared_Connection().open(text.toStdString());
        if (cursor->fields().empty()) {
            statementRows_ = 0;
            emit retrieved(clock.nsecsElapsed(), statementRows_);
            if (request.showResults && request.output != OutputKind::None)
                emit noFields();
        } else if (request.showResults && request.output == OutputKind::Grid) {
            auto rows = std::make_shared<bm::db::Recordset>(cursor->fields());
            cursor->fetch(*rows, nextBatch(request, 0, kFirstBatch));
            emit gridStarted(rows);
            fetchRows(*cursor, *rows, request, true);
            reportProgress(static_cast<qint64>(rows->recordCount()), true);
            statementRows_ = static_cast<qint64>(rows->recordCount());
            emit retrieved(clock.nsecsElapsed(), statementRows_);
        } else if (request.showResults && request.output == OutputKind::Text) {
            bm::db::Recordset rows(cursor->fields());
            fetchRows(*cursor, rows, request, true);
            statementRows_ = static_cast<qint64>(rows.recordCount());
            emit retrieved(clock.nsecsElapsed(), statementRows_);
            QElapsedTimer display;
            display.start();
            try {
                cString builder;
                BuilderSink sink{builder};
                const std::size_t records = writeDelimited(rows, ",", sink);
                emit textReady(builder.Text(), static_cast<qint64>(records),
                               display.nsecsElapsed());
            } catch (...) {
                emit textFailed(describe(bm::currentError()));
            }
        } else if (request.showResults && request.output == OutputKind::File) {
            streamToFile(*cursor, request);
        } else {
            // Nothing shown: the rows are still fetched, as the statistics time them, but not
            // kept.
            std::size_t total = 0;
            for (;;) {
                throwIfCancelled();
                const std::size_t batch = nextBatch(request, total, kBatch);
                if (batch == 0)
                    break;
                bm::db::Recordset rows(cursor->fields());
                const bool more = cursor->fetch(rows, batch);
                total += rows.recordCount();
                reportProgress(static_cast<qint64>(total), false);
                if (!more)
                    break;
            }
            statementRows_ = static_cast<qint64>(total);
            emit retrieved(clock.nsecsElapsed(), statementRows_);
        }
    } catch (...) {
        failed(text);
        return;
    }
    cursor.reset();
    if (request.showPlan) {
        try {
            emit planDone(fetchPlan(text));
        } catch (...) {
            failed(text);
            return;
        }
    }
    emit selectFinished();
}

void BatchExecutor::streamToFile(bm::db::Cursor &cursor, const BatchRequest &request) {
    QElapsedTimer clock;
    clock.start();
    qint64 writing = 0;
    // The first rows come before the question, so that a statement that fails asks nothing.
    auto rows = std::make_unique<bm::db::Recordset>(cursor.fields());
    bool more = cursor.fetch(*rows, nextBatch(request, 0, kFirstBatch));
    std::size_t total = rows->recordCount();

    // The window asks for the file; the worker waits for the answer, or for a cancel.
    QString name;
    {
        auto answer = std::make_shared<std::promise<QString>>();
        std::future<QString> future = answer->get_future();
        QMetaObject::invokeMethod(
            this,
            [this, answer] {
                answer->set_value(!cancelled_ && askFileName ? askFileName() : QString());
            },
            Qt::QueuedConnection);
        while (future.wait_for(std::chrono::milliseconds(50)) != std::future_status::ready) {
            throwIfCancelled();
        }
        name = future.get();
    }

    std::unique_ptr<QSaveFile> file;
    std::unique_ptr<FileSink> sink;
    if (!name.isEmpty()) {
        file = std::make_unique<QSaveFile>(name);
        if (file->open(QIODevice::WriteOnly)) {
            sink = std::make_unique<FileSink>(FileSink{*file, {}});
            sink->block.reserve(1u << 21);
        }
    }
    const auto write = [&](const bm::db::Recordset &part, bool header) {
        if (!sink)
            return;
        QElapsedTimer timer;
        timer.start();
        writeDelimited(part, ",", *sink, header);
        writing += timer.nsecsElapsed();
    };
    write(*rows, true);
    try {
        while (more && nextBatch(request, total, kBatch) > 0) {
            throwIfCancelled();
            rows = std::make_unique<bm::db::Recordset>(cursor.fields());
            more = cursor.fetch(*rows, nextBatch(request, total, kBatch));
            total += rows->recordCount();
            write(*rows, false);
            reportProgress(static_cast<qint64>(total), false);
        }
    } catch (...) {
        // Cancelled or failed: no part of a file is left, and the old one stays.
        if (file)
            file->cancelWriting();
        throw;
    }
    statementRows_ = static_cast<qint64>(total);
    emit retrieved(clock.nsecsElapsed(), statementRows_);
    if (file) {
        bool written = false;
        if (sink) {
            sink->append("\r\n");
            sink->flush();
            written = !sink->failed && file->commit();
        }
        if (!written)
            emit fileFailed(name, file->errorString());
    }
    emit fileDone(static_cast<qint64>(total), writing);
}

PlanResult BatchExecutor::fetchPlan(const QString &statement) {
    if (!cnDatabase)
        return {}; // no connection: no plan
    return PlanAndStats::fetchPlan(*cnDatabase, statement);
}

void BatchExecutor::Run_General_Query(const QString &text) {
    try {
        statementRows_ = Shared_Connection().execute(text.toStdString());
        emit generalFinished();
    } catch (...) {
        failed(text);
    }
}

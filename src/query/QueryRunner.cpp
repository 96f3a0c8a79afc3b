#include "QueryRunner.h"

#include "PlanAndStats.h"
#include "QueryBatch.h"
#include "QueryHistory.h"
#include "ResultGrid.h"
#include "common/Prompt.h"
#include "db/DatabaseSession.h"
#include "db/modDatabase.h"
#include "editor/SqlEditor.h"
#include "frmQuery.h"
#include "settings/AppOptions.h"
#include "settings/ProgramSettings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QLocale>
#include <QPlainTextEdit>
#include <unistd.h>

QueryRunner::QueryRunner(frmQuery &window) : window_(window), lockWatch_(new QTimer(this)) {
    connectExecutor();
    lockWatch_->setInterval(200);
    connect(lockWatch_, &QTimer::timeout, this, &QueryRunner::watchLockWait);
    executor_.askFileName = [] {
        return bm::Prompt::current().saveFileName(
            "Save As", bm::dialogFilter(BatchExecutor::kResultsFilter), {}, "sql");
    };
}

QueryRunner::~QueryRunner() {
    stopAndWait();
}

QString QueryRunner::formatSeconds(qint64 nanoseconds) {
    return QLocale().toString(nanoseconds / 1e9, 'f', 2) + " seconds";
}

QString QueryRunner::errorLine(const QString &description, const QString &statement) {
    QString text = description;
    text.remove('\n');
    // The statement's first 30 characters, on one line.
    QString excerpt = statement.left(30);
    excerpt.replace('\r', ' ').replace('\n', ' ');
    return text + "    (" + excerpt + "...)";
}

QString QueryRunner::textToRun() const {
    QTextCursor cursor = window_.txtSQL->textCursor();
    QString text = cursor.hasSelection() ? cursor.selectedText() : window_.txtSQL->toPlainText();
    // Line breaks go to the database as LF, whichever way the text was taken.
    text.replace(QChar::ParagraphSeparator, '\n').replace(QChar::LineSeparator, '\n');
    text.replace("\r\n", "\n").replace('\r', '\n');
    return text;
}

std::size_t QueryRunner::memoryLimit() {
    const qlonglong megabytes = programSettings()->value("Results/MemoryLimitMB", 0).toLongLong();
    if (megabytes > 0)
        return static_cast<std::size_t>(megabytes) << 20;
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long pageSize = sysconf(_SC_PAGE_SIZE);
    if (pages <= 0 || pageSize <= 0)
        return std::size_t{1} << 30;
    return static_cast<std::size_t>(pages) * static_cast<std::size_t>(pageSize) / 4;
}

bool QueryRunner::running() const {
    return executor_.active();
}

void QueryRunner::setStatus(const QString &text) {
    window_.statusPanel(1)->setText(text);
}

void QueryRunner::Run_Queries() {
    if (running())
        return;
    window_.Reset();
    BatchHasErrors = false;
    gridRows_.reset();
    const QString text = textToRun();
    window_.Add_Message("");

    BatchRequest request;
    request.statements = batchStatements(text);
    request.maxRecords = window_.MaxRecords();
    request.showResults = window_.chkShowResults->checkState() == Qt::Checked;
    request.showPlan = window_.chkShowPlan->checkState() == Qt::Checked;
    const QString output = window_.cboResults->currentText();
    request.output = output.compare(kOutputGrid, Qt::CaseInsensitive) == 0   ? OutputKind::Grid
                     : output.compare(kOutputCsv, Qt::CaseInsensitive) == 0  ? OutputKind::Text
                     : output.compare(kOutputFile, Qt::CaseInsensitive) == 0 ? OutputKind::File
                                                                             : OutputKind::None;
    request.memoryLimit = memoryLimit();
    request.history = &QueryHistory::instance();
    if (cnDatabase) {
        // The connection string keeps no password once the engine has opened.
        const auto settings = bm::db::parseConnectionString(cnDatabase->connectionString());
        request.dataSource = QString::fromStdString(settings.dataSource);
        request.user = QString::fromStdString(settings.userId);
    }

    const bool waiting = DatabaseSession::instance().busy();
    executor_.start(std::move(request));
    window_.setCursor(Qt::BusyCursor);
    showingLockWait_ = false;
    lockWatch_->start();
    if (waiting)
        setStatus("Waiting for the connection...");
    emit runningChanged(true);
}

void QueryRunner::watchLockWait() {
    // A statement that waits reports nothing by itself; the connection says whether it waits.
    const bool waiting = cnDatabase && cnDatabase->waitingForLock() && !executor_.waiting();
    if (waiting && !showingLockWait_)
        setStatus("Waiting for a lock held by another program...");
    else if (!waiting && showingLockWait_)
        setStatus("Running query...");
    showingLockWait_ = waiting;
}

void QueryRunner::Cancel_Query() {
    executor_.cancel();
}

void QueryRunner::stopAndWait() {
    executor_.stopAndWait();
}

void QueryRunner::connectExecutor() {
    BatchExecutor *e = &executor_;
    connect(e, &BatchExecutor::statementStarted, this, [this](bool select) {
        if (select)
            setStatus("Running query...");
    });
    connect(e, &BatchExecutor::progress, this, [this](qint64 rows, bool waitingForLock) {
        showingLockWait_ = waitingForLock;
        if (waitingForLock) {
            setStatus("Waiting for a lock held by another program...");
            return;
        }
        setStatus("Running query... " + QLocale().toString(rows) + " rows");
        if (gridRows_)
            window_.grdResults->grid()->showFetchedRows();
    });
    connect(e, &BatchExecutor::gridStarted, this,
            [this](std::shared_ptr<const bm::db::Recordset> rows) {
                gridRows_ = rows;
                window_.Load_Recordset_Into_Grid(rows, window_.grdResults, false);
            });
    connect(e, &BatchExecutor::retrieved, this, [this](qint64 nanoseconds, qint64) {
        figures.RetrievalTime = formatSeconds(nanoseconds);
        setStatus("Query complete.");
        if (!gridRows_)
            return;
        // The last rows, and the columns sized once more for all of them.
        setStatus("Displaying query results...");
        QElapsedTimer clock;
        clock.start();
        window_.grdResults->grid()->showFetchedRows();
        window_.Size_Grid_Columns(window_.grdResults);
        figures.RecordCount = QString::number(window_.grdResults->Rows() - 1);
        figures.DisplayTime = formatSeconds(clock.nsecsElapsed());
        gridRows_.reset();
    });
    connect(e, &BatchExecutor::noFields, this, [this] {
        window_.Add_Message("Query Complete");
        figures.DisplayTime = formatSeconds(0);
    });
    connect(e, &BatchExecutor::textReady, this,
            [this](const QString &text, qint64 records, qint64 nanoseconds) {
                QElapsedTimer clock;
                clock.start();
                window_.txtResults->setPlainText(text);
                figures.RecordCount = QString::number(records);
                figures.DisplayTime = formatSeconds(nanoseconds + clock.nsecsElapsed());
            });
    connect(e, &BatchExecutor::textFailed, this, [this](const QString &reason) {
        // The text pane is left as it was; the messages pane says why nothing new is in it.
        BatchHasErrors = true;
        window_.Add_Message("The results could not be shown as text: " + reason);
    });
    connect(e, &BatchExecutor::fileDone, this, [this](qint64 records, qint64 nanoseconds) {
        figures.RecordCount = QString::number(records);
        figures.DisplayTime = formatSeconds(nanoseconds);
        window_.statusPanel("reccount")->setText(figures.RecordCount + " rows");
    });
    connect(e, &BatchExecutor::fileFailed, this, [](const QString &name, const QString &reason) {
        bm::Prompt::current().message(
            QMessageBox::Warning, QMessageBox::Ok, QCoreApplication::applicationName(),
            "The results could not be saved to " + QDir::toNativeSeparators(name) + ":\n" + reason);
    });
    connect(e, &BatchExecutor::planDone, this,
            [this](const PlanResult &plan) { PlanAndStats(window_, figures).showPlan(plan); });
    connect(e, &BatchExecutor::message, this,
            [this](const QString &text) { window_.Add_Message(text); });
    connect(e, &BatchExecutor::selectFinished, this, [this] {
        setStatus("Query Complete.");
        PlanAndStats(window_, figures).Show_Stats();
        window_.Add_Message("Query Complete.");
    });
    connect(e, &BatchExecutor::generalFinished, this,
            [this] { window_.Add_Message("Query Complete"); });
    connect(e, &BatchExecutor::statementFailed, this,
            [this](const QString &description, const QString &statement) {
                BatchHasErrors = true;
                gridRows_.reset();
                window_.Add_Message(errorLine(description, statement));
                setStatus("Query Complete with Errors.");
            });
    connect(e, &BatchExecutor::batchFinished, this, &QueryRunner::finishBatch);
}

void QueryRunner::finishBatch(bool cancelled) {
    if (gridRows_) {
        // Stopped during the fetch: the rows fetched stay shown.
        window_.grdResults->grid()->showFetchedRows();
        window_.Size_Grid_Columns(window_.grdResults);
        gridRows_.reset();
    }
    if (cancelled)
        BatchHasErrors = true;
    if (BatchHasErrors) {
        window_.selectTab("messages");
        window_.TabStrip1_Click();
        setStatus("Query batch complete with errors.");
    } else {
        setStatus("Query batch complete.");
    }
    window_.unsetCursor();
    lockWatch_->stop();
    emit runningChanged(false);
}

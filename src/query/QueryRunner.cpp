#include "QueryRunner.h"

#include "PlanAndStats.h"
#include "QueryBatch.h"
#include "ResultWriters.h"
#include "common/BusyCursor.h"
#include "common/ErrorReport.h"
#include "common/Prompt.h"
#include "db/modDatabase.h"
#include "editor/SqlEditor.h"
#include "frmQuery.h"
#include "settings/AppOptions.h"
#include "sql/AppError.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLocale>
#include <QTextEdit>

namespace {

void showStepFailure(const char *what, const bm::AppError &error) {
    bm::Prompt::current().message(QMessageBox::NoIcon, QMessageBox::Ok,
                                  QCoreApplication::applicationName(),
                                  QString(what) + QString::number(error.number()) + ":" +
                                      QString::fromStdString(error.description()));
}

} // namespace

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

void QueryRunner::Run_Queries() {
    window_.Reset();
    const QString text = textToRun();
    window_.Add_Message("");
    const colQueries queries = Split_Queries(text);
    for (const auto &query : queries) {
        if (query->QueryType.compare("SELECT", Qt::CaseInsensitive) == 0)
            Run_SELECT_Query(query->QueryString);
        else if (query->QueryType.compare("GENERAL", Qt::CaseInsensitive) == 0)
            Run_General_Query(query->QueryString);
    }
    if (window_.BatchHasErrors) {
        window_.selectTab("messages");
        window_.TabStrip1_Click();
        window_.statusPanel(1)->setText("Query batch complete with errors.");
    } else {
        window_.statusPanel(1)->setText("Query batch complete.");
    }
}

void QueryRunner::Run_SELECT_Query(const QString &text) {
    QLabel *progress = window_.statusPanel(1);
    // 1. Objects: the hourglass until the statement ends, whichever way it ends.
    bm::BusyCursor busy;
    // 2. Execution.
    std::unique_ptr<bm::db::Recordset> recordset;
    try {
        clock_.start();
        window_.StartTime = clock_.msecsSinceReference();
        progress->setText("Running query...");
        recordset = Shared_Connection().query(text.toStdString(), window_.MaxRecords());
        progress->setText("Query complete.");
    } catch (...) {
        window_.StartTime = 0;
        statementFailed(bm::currentError(), text);
        return;
    }
    // 3. Retrieval time.
    window_.RetrievalTime = formatSeconds(clock_.nsecsElapsed());
    window_.StartTime = 0;
    // 4. Display.
    if (window_.chkShowResults->checkState() == Qt::Checked) {
        try {
            progress->setText("Displaying query results...");
            clock_.start();
            window_.StartTime = clock_.msecsSinceReference();
            const QString output = window_.cboResults->currentText();
            const bool noFields = recordset->fieldCount() == 0;
            ResultWriters writers(window_);
            if (output.compare(kOutputGrid, Qt::CaseInsensitive) == 0) {
                if (noFields)
                    window_.Add_Message("Query Complete");
                else
                    window_.Load_Recordset_Into_Grid(std::move(recordset), window_.grdResults,
                                                     true);
            } else if (output.compare(kOutputCsv, Qt::CaseInsensitive) == 0) {
                if (noFields)
                    window_.Add_Message("Query Complete");
                else
                    writers.Load_Recordset_Into_Text(recordset.get(), ",");
            } else if (output.compare(kOutputFile, Qt::CaseInsensitive) == 0) {
                if (noFields)
                    window_.Add_Message("Query Complete");
                else
                    writers.Load_RecordSet_Into_File(recordset.get(), ",");
            }
            window_.DisplayTime = formatSeconds(clock_.nsecsElapsed());
            window_.StartTime = 0;
        } catch (...) {
            busy.done();
            window_.StartTime = 0;
            showStepFailure("Error Loading Results Grid - ", bm::currentError());
            return;
        }
    }
    recordset.reset();
    // 5. Plan. A plan that cannot be built is a failure of the statement the user asked to
    // explain: it is said in the messages pane, and the rows already shown stay.
    try {
        if (window_.chkShowPlan->checkState() == Qt::Checked)
            PlanAndStats(window_).GetPlan(text);
        progress->setText("");
    } catch (...) {
        statementFailed(bm::currentError(), text);
        return;
    }
    // 6. Finish.
    progress->setText("Query Complete.");
    busy.done();
    PlanAndStats(window_).Show_Stats();
    window_.Add_Message("Query Complete.");
}

void QueryRunner::statementFailed(const bm::AppError &error, const QString &text) {
    window_.BatchHasErrors = true;
    window_.Add_Message(errorLine(QString::fromStdString(error.description()), text));
    window_.statusPanel(1)->setText("Query Complete with Errors.");
}

void QueryRunner::Run_General_Query(const QString &text) {
    bm::BusyCursor busy;
    try {
        Shared_Connection().execute(text.toStdString());
        window_.Add_Message("Query Complete");
    } catch (...) {
        busy.done();
        const bm::AppError error = bm::currentError();
        window_.BatchHasErrors = true;
        window_.Add_Message(errorLine(QString::fromStdString(error.description()), text));
    }
}

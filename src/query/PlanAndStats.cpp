#include "PlanAndStats.h"

#include "BatchExecutor.h"
#include "QueryRunner.h"
#include "ResultGrid.h"
#include "common/ErrorReport.h"
#include "common/Twips.h"
#include "db/modDatabase.h"
#include "frmQuery.h"
#include "sql/AppError.h"

#include <QLabel>
#include <QTreeWidget>

QString planTableStatement() {
    return "CREATE TABLE PLAN_TABLE ("
           " statement_id    varchar2(30),"
           " timestamp       date,"
           " remarks         varchar2(80),"
           " operation       varchar2(30),"
           " options         varchar2(30),"
           " object_node     varchar2(128),"
           " object_owner    varchar2(30),"
           " object_name     varchar2(30),"
           " object_instance numeric,"
           " object_type     varchar2(30),"
           " optimizer       varchar2(255),"
           " search_columns  number,"
           " id      numeric,"
           " parent_id   numeric,"
           " position    numeric,"
           " cost        numeric,"
           " cardinality numeric,"
           " bytes       numeric,"
           " other_tag       varchar2(255),"
           " partition_start varchar2(255),"
           " partition_stop  varchar2(255),"
           " partition_id    numeric,"
           " other       long,"
           " distribution    varchar2(30))";
}

QString PlanAndStats::planQuery() {
    return "SELECT "
           " LPAD (' ', 2 *(level -1))||"
           "Operation||"
           " Decode (other_tag,null,'','*')||"
           "Decode (options,null,'','('||options||')')||"
           " Decode (object_name,null,'',' of '''||object_name||'''')||"
           " Decode (object_type,null,'',' '||object_type||')')||"
           " Decode (id,0,decode(optimizer,null,'',' optimizer='||optimizer))||"
           " Decode (cost,null,'',' cost='||cost)||"
           " Decode(cardinality,null,'',' card ='||cardinality) Plan"
           " From PLAN_TABLE"
           " start with id=0 and statement_id = '" +
           kStatementId +
           "'"
           " connect by prior id=parent_id and statement_id = '" +
           kStatementId +
           "'"
           " order by id,position";
}

namespace {

std::string text(const QString &sql) {
    return sql.toStdString();
}

} // namespace

PlanResult PlanAndStats::fetchPlan(bm::db::Connection &connection, const QString &statement) {
    const QString id = "'" + kStatementId + "'";
    PlanResult result;
    try {
        if (connection.state() != bm::db::Connection::kStateOpen)
            throw bm::AppError(bm::kErrGeneral, {}, bm::kClosedMessage);
        connection.execute(text("DELETE FROM PLAN_TABLE WHERE Statement_Id = " + id + " "));
        connection.execute(text("Explain Plan set Statement_Id = " + id + " FOR  " + statement));
        result.rows = connection.query(text(planQuery()), 0);
        result.available = true;
    } catch (...) {
        bm::AppError error = bm::currentError();
        if (error.number() != bm::kErrGeneral || error.description() == bm::db::kCancelledMessage) {
            error.appendLabel("..GetPlan");
            throw error;
        }
        return result;
    }
    // The sums. When they cannot be read the figures keep their earlier values, and the
    // messages pane says why they are not this plan's.
    try {
        auto sums = connection.query(
            text("SELECT SUM(COST), Sum(Cardinality) FROM PLAN_TABLE WHERE  Statement_Id = " + id +
                 " "),
            0);
        const auto field = [&](int i) {
            const auto value = sums->eof() ? std::nullopt : sums->value(i);
            return value ? QString::fromUtf8(value->data(), qsizetype(value->size())) : QString();
        };
        result.cost = field(0);
        result.cardinality = field(1);
    } catch (...) {
        result.sumsError = QString::fromStdString(bm::currentError().description());
    }
    return result;
}

void PlanAndStats::showPlan(const PlanResult &plan) {
    if (!plan.available) {
        window_.grdEP->grid()->setTextMatrix(0, 0, "Not available.");
        window_.grdEP->setColWidth(0, bm::twipsToPixels(2000));
        return;
    }
    window_.Load_Recordset_Into_Grid(plan.rows, window_.grdEP, false);
    if (!plan.sumsError.isNull()) {
        window_.Add_Message("The plan's cost and cardinality could not be read: " + plan.sumsError);
        return;
    }
    figures_.PlanCost = plan.cost;
    figures_.PlanCardinality = plan.cardinality;
}

void PlanAndStats::GetPlan(const QString &statement) {
    if (!cnDatabase) {
        showPlan(PlanResult{});
        return;
    }
    showPlan(fetchPlan(*cnDatabase, statement));
}

void PlanAndStats::Show_Stats() {
    runReporting("..frmQuery.Show_Stats", [&] {
        QTreeWidget *list = window_.lvwStats;
        list->clear();
        const std::pair<const char *, QString> items[] = {
            {"Total Records", figures_.RecordCount},
            {"Cost", figures_.PlanCost},
            {"Cardinality", figures_.PlanCardinality},
            {"Retrieval Time", figures_.RetrievalTime},
            {"Display Results Time", figures_.DisplayTime}};
        for (const auto &[label, value] : items)
            new QTreeWidgetItem(list, {label, value});
        window_.statusPanel("reccount")->setText(figures_.RecordCount + " rows");
    });
}

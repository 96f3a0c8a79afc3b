#pragma once

// The execution plan of a SELECT statement and the statistics of the last run.

#include <QString>

struct PlanResult;
struct RunFigures;
class frmQuery;
namespace bm::db {
class Connection;
}

// The statement id under which this program keeps its plan rows.
inline const QString kStatementId = QStringLiteral("TAVISTOK");

// The statement that creates the plan table, one line.
QString planTableStatement();

class PlanAndStats {
public:
    PlanAndStats(frmQuery &window, RunFigures &figures) : window_(window), figures_(figures) {}

    // Explains the statement, shows the plan in grdEP and sums its cost and cardinality. Where
    // the plan cannot be had (no connection), the grid says "Not available."; other failures go
    // to the caller labelled "..GetPlan".
    void GetPlan(const QString &text);
    // Shows a plan read by fetchPlan.
    void showPlan(const PlanResult &plan);
    void Show_Stats();

    // Explains the statement on the connection and reads the plan and its sums; on any thread.
    // A plan that cannot be had (no connection) is not available; other
    // failures are raised labelled "..GetPlan".
    static PlanResult fetchPlan(bm::db::Connection &connection, const QString &statement);
    static QString planQuery();

private:
    frmQuery &window_;
    RunFigures &figures_;
};

#pragma once

// The execution plan of a SELECT statement and the statistics of the last run.

#include <QString>

class frmQuery;

// The statement id under which this program keeps its plan rows.
inline const QString kStatementId = QStringLiteral("TAVISTOK");

// The statement that creates the plan table, one line.
QString planTableStatement();

class PlanAndStats {
public:
    explicit PlanAndStats(frmQuery &window) : window_(window) {}

    // Explains the statement, shows the plan in grdEP and sums its cost and cardinality. Where
    // the plan cannot be had (no connection), the grid says "Not available."; other failures go
    // to the caller labelled "..GetPlan".
    void GetPlan(const QString &text);
    void Show_Stats();

    static QString planQuery();

private:
    frmQuery &window_;
};

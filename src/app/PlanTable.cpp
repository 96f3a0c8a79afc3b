// Making sure the plan table exists after each log-on.

#include "MDIMain.h"
#include "common/BusyCursor.h"
#include "common/ErrorReport.h"
#include "common/frmTrace.h"
#include "db/modDatabase.h"
#include "query/PlanAndStats.h"
#include "sql/AppError.h"

bool MDIMain::Create_Plan_Table() {
    bm::BusyCursor busy;
    try {
        const QString statement = planTableStatement();
        Write_Trace(statement);
        Shared_Connection().execute(statement.toStdString());
        return true;
    } catch (...) {
        busy.done();
        // The database refusing the statement means the table is there already.
        if (bm::currentError().number() == bm::kErrStatementRejected)
            return true;
        reportCurrentError("..MDIMain.Create_Plan_Table");
        return false;
    }
}

// Making sure the plan table exists after each log-on.

#include "MDIMain.h"
#include "sql/AppError.h"
#include "common/BusyCursor.h"
#include "common/ErrorReport.h"
#include "common/frmTrace.h"
#include "db/modDatabase.h"
#include "query/PlanAndStats.h"

bool MDIMain::Create_Plan_Table() {
    try {
        bm::setHourglass();
        const QString statement = planTableStatement();
        Write_Trace(statement);
        Shared_Connection().execute(statement.toStdString());
        bm::setDefaultPointer();
        return true;
    } catch (...) {
        bm::setDefaultPointer();
        // The database refusing the statement means the table is there already.
        if (bm::currentError().number() == bm::kErrStatementRejected)
            return true;
        reportCurrentError("..MDIMain.Create_Plan_Table");
        return false;
    }
}

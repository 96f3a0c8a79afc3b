// The commands that act on the active query window.

#include "MDIMain.h"
#include "common/ErrorReport.h"
#include "query/frmQuery.h"

#include <QComboBox>

void MDIMain::mnuQueryExecute_Click() {
    frmQuery *query = activeQuery();
    if (!query)
        return;
    // A failure the batch does not handle itself ends the batch; the user is told of it
    // rather than the program ending.
    runReporting("..MDIMain.mnuQueryExecute_Click", [&] { query->Run_Queries(); });
}

void MDIMain::mnuQueryCancel_Click() {
    if (frmQuery *query = activeQuery())
        query->Cancel_Query();
}

void MDIMain::setOutputChoice(int index) {
    frmQuery *query = activeQuery();
    if (!query) {
        // Nothing to switch: the ticks stay as they were.
        setResultTicks({});
        return;
    }
    query->cboResults->setCurrentIndex(index);
    query->cboResults_Click();
}

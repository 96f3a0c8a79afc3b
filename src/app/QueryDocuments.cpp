// Query windows as documents: creating and numbering them.

#include "MDIMain.h"
#include "common/ErrorReport.h"
#include "query/frmQuery.h"

#include <QAction>
#include <QMdiArea>
#include <QMdiSubWindow>

frmQuery *MDIMain::New_Query() {
    frmQuery *query = nullptr;
    runReporting("..MDIMain.New_Query", [&] {
        NoToAll = false; // back to asking whenever a query window is created
        query = new frmQuery;
        connect(query, &frmQuery::outputChoiceShown, this, &MDIMain::setResultTicks);
        ++QueryCount;
        query->setWindowTitle(" Query - Untitled" + QString::number(QueryCount));
        query->setFileName("");
        QMdiSubWindow *sub = mdiArea->addSubWindow(query);
        sub->setAttribute(Qt::WA_DeleteOnClose);
        sub->setWindowIcon(QIcon());
        if (QueryCount == 1)
            sub->showMaximized();
        else
            sub->showNormal();
        mdiArea->setActiveSubWindow(sub);
        query->setUnSavedChanges(false);
    });
    return query;
}

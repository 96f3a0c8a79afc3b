// Query windows: creating and numbering them, and the main window's document commands, which
// the document manager carries out.

#include "HistoryPanel.h"
#include "MDIMain.h"
#include "common/ErrorReport.h"
#include "common/Icons.h"
#include "query/frmQuery.h"

#include <QAction>
#include <QCloseEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QScopedValueRollback>

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
        sub->installEventFilter(this); // the questions before it closes
        connect(query, &frmQuery::fileNameChanged, this, &MDIMain::updateCommandStates);
        connect(query, &frmQuery::runningChanged, this, &MDIMain::updateCommandStates);
        connect(query, &frmQuery::runningChanged, this, [this](bool running) {
            if (!running && tabLeft->currentWidget() == history_)
                history_->refresh();
        });
        sub->setWindowIcon(iconFor("query")); // not the toolkit's own logo
        if (QueryCount == 1)
            sub->showMaximized();
        else
            sub->showNormal();
        mdiArea->setActiveSubWindow(sub);
        query->setUnSavedChanges(false);
    });
    return query;
}

void MDIMain::Show_Open_Dialog() {
    documents_.showOpenDialog();
}

void MDIMain::Open_File(const QString &path) {
    documents_.openFile(path);
}

bool MDIMain::Save_File(frmQuery *query, bool saveAs) {
    return documents_.save(query, saveAs);
}

void MDIMain::Save_All() {
    documents_.saveAll();
}

bool MDIMain::closeAllQueries() {
    return documents_.confirmCloseAll();
}

void MDIMain::mnuFileClose_Click() {
    frmQuery *query = activeQuery();
    if (QMdiSubWindow *sub = query ? subWindowOf(query) : nullptr) {
        const QScopedValueRollback byCommand(closingByCommand_, true);
        sub->close();
    }
}

bool MDIMain::closingQueryWindow(QMdiSubWindow *sub, QCloseEvent *event) {
    auto *query = qobject_cast<frmQuery *>(sub->widget());
    if (!query)
        return false;
    if (!documents_.confirmClose(query, closingByCommand_
                                            ? QueryDocumentManager::CloseWay::Command
                                            : QueryDocumentManager::CloseWay::CloseBox)) {
        event->ignore();
        return true;
    }
    return false;
}

// Query windows as documents: creating and numbering them, opening and saving their files, and
// the questions before a changed window closes.

#include "MDIMain.h"
#include "common/ErrorReport.h"
#include "common/Prompt.h"
#include "editor/SqlEditor.h"
#include "frmSavePrompt.h"
#include "query/QueryFile.h"
#include "query/frmQuery.h"
#include "settings/OptionsFile.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QScopedValueRollback>

namespace {

const char kQueryFilter[] = "Query File (*.sql)|*.sql|Text File (*.txt)|*.txt|All Files (*.*)|*.*";
const char kOpenFilter[] = "Query File (*.sql)|*.sql|All Files (*.*)|*.*";

// "A|*.a|B|*.b" as the dialogs take it: "A;;B".
QString dialogFilter(const QString &pipeFilter) {
    const QStringList parts = pipeFilter.split('|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2)
        filters << parts[i];
    return filters.join(";;");
}

} // namespace

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
        connect(query, &frmQuery::fileNameChanged, this, &MDIMain::updateDocumentCommands);
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

void MDIMain::Show_Open_Dialog() {
    const QString path =
        bm::Prompt::current().openFileName("Open", dialogFilter(kOpenFilter), QString());
    if (!path.isEmpty())
        Open_File(path);
}

void MDIMain::Open_File(const QString &path) {
    const auto problem = [&](const QString &why) {
        bm::Prompt::current().message(
            QMessageBox::Warning, QMessageBox::Ok, QCoreApplication::applicationName(),
            "There was a problem opening the file '" + path + "'.  " + why);
    };
    QString why;
    const std::optional<QString> text = readQueryFile(path, &why);
    if (!text) {
        problem(why);
        return;
    }
    frmQuery *query = New_Query();
    if (!query) {
        problem("The query window could not be created.");
        return;
    }
    query->txtSQL->setPlainText(*text);
    query->setFileName(path);
    query->setUnSavedChanges(false);
}

bool MDIMain::Save_File(frmQuery *query, bool saveAs) {
    if (!query)
        return false;
    QString name = saveAs ? QString() : query->FileName();
    if (name.isEmpty()) {
        name = bm::Prompt::current().saveFileName("Save As", dialogFilter(kQueryFilter),
                                                  query->FileName(), "sql");
        if (name.isEmpty())
            return false; // cancelled: nothing changes, nothing is said
    }
    QString why;
    if (!writeQueryFile(name, query->txtSQL->toPlainText(), &why)) {
        // Unlike a silent end, this tells the user that the work is not on disk.
        bm::Prompt::current().message(
            QMessageBox::Warning, QMessageBox::Ok, QCoreApplication::applicationName(),
            "The query could not be saved to " + QDir::toNativeSeparators(name) + ":\n" + why);
        return false;
    }
    query->setFileName(name);
    query->setUnSavedChanges(false);
    return true;
}

void MDIMain::Save_All() {
    for (frmQuery *query : queryWindows())
        if (query->UnSavedChanges())
            Save_File(query, false);
}

bool MDIMain::confirmClose(frmQuery *query, CloseWay way) {
    if (NoToAll || !query->UnSavedChanges())
        return true;
    const QString name = query->FileName().isEmpty() ? query->windowTitle() : query->FileName();
    qint16 answer = frmSavePrompt::kCancel;
    if (way == CloseWay::CloseBox) {
        switch (bm::Prompt::current().message(
            QMessageBox::Warning, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
            QCoreApplication::applicationName(),
            "The query '" + name + "' has unsaved changes.\r\nDo you wish to save the changes ?")) {
        case QMessageBox::Yes:
            answer = frmSavePrompt::kYes;
            break;
        case QMessageBox::No:
            answer = frmSavePrompt::kNo;
            break;
        default:
            answer = frmSavePrompt::kCancel;
        }
    } else {
        frmSavePrompt prompt(this);
        prompt.lblPrompt->setText("The query '" + name + "' has unsaved changes.  ");
        bm::Prompt::current().showDialog(prompt);
        answer = prompt.Response;
    }
    switch (answer) {
    case frmSavePrompt::kYes:
        return Save_File(query, false); // a save that did not complete keeps the window
    case frmSavePrompt::kNo:
        query->setUnSavedChanges(false);
        return true;
    case frmSavePrompt::kNoToAll:
        NoToAll = true;
        return true;
    default:
        return false;
    }
}

void MDIMain::mnuFileClose_Click() {
    frmQuery *query = activeQuery();
    if (QMdiSubWindow *sub = query ? subWindowOf(query) : nullptr) {
        const QScopedValueRollback byCommand(closingByCommand_, true);
        sub->close();
    }
}

bool MDIMain::closeAllQueries() {
    // Every window is asked first; a Cancel keeps the program and all its windows open.
    for (frmQuery *query : queryWindows())
        if (!confirmClose(query, CloseWay::Command))
            return false;
    return true;
}

bool MDIMain::closingQueryWindow(QMdiSubWindow *sub, QCloseEvent *event) {
    auto *query = qobject_cast<frmQuery *>(sub->widget());
    if (!query)
        return false;
    if (!confirmClose(query, closingByCommand_ ? CloseWay::Command : CloseWay::CloseBox)) {
        event->ignore();
        return true;
    }
    return false;
}

void MDIMain::updateDocumentCommands() {
    frmQuery *query = activeQuery();
    action("mnuFileAddFav")->setEnabled(query && !query->FileName().isEmpty());
}

// The query windows as documents: opening and saving their files, and the questions asked before
// a changed window closes.

#include "DocumentManager.h"

#include "common/ErrorReport.h"
#include "common/Prompt.h"
#include "editor/SqlEditor.h"
#include "frmSavePrompt.h"
#include "query/QueryFile.h"
#include "query/frmQuery.h"

#include <QCoreApplication>
#include <QDir>
#include <QLabel>

QueryDocumentManager::QueryDocumentManager(Hooks hooks) : hooks_(std::move(hooks)) {}

namespace {

const char kQueryFilter[] = "Query File (*.sql)|*.sql|Text File (*.txt)|*.txt|All Files (*.*)|*.*";
const char kOpenFilter[] = "Query File (*.sql)|*.sql|All Files (*.*)|*.*";

} // namespace

void QueryDocumentManager::showOpenDialog() {
    const QString path =
        bm::Prompt::current().openFileName("Open", bm::dialogFilter(kOpenFilter), QString());
    if (!path.isEmpty())
        openFile(path);
}

void QueryDocumentManager::openFile(const QString &path) {
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
    frmQuery *query = hooks_.newWindow();
    if (!query) {
        problem("The query window could not be created.");
        return;
    }
    query->txtSQL->setPlainText(*text);
    query->setFileName(path);
    query->setUnSavedChanges(false);
}

bool QueryDocumentManager::save(frmQuery *query, bool saveAs) {
    if (!query)
        return false;
    QString name = saveAs ? QString() : query->FileName();
    if (name.isEmpty()) {
        name = bm::Prompt::current().saveFileName("Save As", bm::dialogFilter(kQueryFilter),
                                                  query->FileName(), "sql");
        if (name.isEmpty())
            return false; // cancelled: nothing changes, nothing is said
    }
    QString why;
    if (!query->document().save(name, query->txtSQL->toPlainText(), &why)) {
        // Unlike a silent end, this tells the user that the work is not on disk.
        bm::Prompt::current().message(
            QMessageBox::Warning, QMessageBox::Ok, QCoreApplication::applicationName(),
            "The query could not be saved to " + QDir::toNativeSeparators(name) + ":\n" + why);
        return false;
    }
    return true;
}

void QueryDocumentManager::saveAll() {
    for (frmQuery *query : hooks_.windows())
        if (query->UnSavedChanges())
            save(query, false);
}

bool QueryDocumentManager::confirmClose(frmQuery *query, CloseWay way) {
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
        frmSavePrompt prompt(hooks_.dialogParent);
        prompt.lblPrompt->setText("The query '" + name + "' has unsaved changes.  ");
        bm::Prompt::current().showDialog(prompt);
        answer = prompt.Response;
    }
    switch (answer) {
    case frmSavePrompt::kYes:
        return save(query, false); // a save that did not complete keeps the window
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

bool QueryDocumentManager::confirmCloseAll() {
    // Every window is asked first; a Cancel keeps the program and all its windows open.
    for (frmQuery *query : hooks_.windows())
        if (!confirmClose(query, CloseWay::Command))
            return false;
    return true;
}

void QueryDocumentManager::openTable(const QString &sql) {
    frmQuery *query = hooks_.newWindow();
    if (!query)
        return;
    runReporting("..MDIMain.Open_Table", [&] {
        query->txtSQL->setPlainText(sql);
        query->setWindowTitle("Query - Untitled" + QString::number(QueryCount));
        query->setFileName("");
        query->setUnSavedChanges(false);
        query->Run_Queries();
    });
}

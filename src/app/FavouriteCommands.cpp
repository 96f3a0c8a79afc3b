// The favourites commands of the main window: adding the active window's file, refreshing the
// queries tree, opening a favourite.

#include "MDIMain.h"
#include "browser/SchemaTree.h"
#include "common/ErrorReport.h"
#include "common/Prompt.h"
#include "favourites/FavouritesTree.h"
#include "favourites/QueryFiles.h"
#include "favourites/frmFavorites.h"
#include "query/frmQuery.h"

#include <QApplication>
#include <QCoreApplication>
#include <QLineEdit>
#include <QTreeWidget>

void MDIMain::Add_To_Favourites() {
    frmQuery *query = activeQuery();
    QString name;
    bool confirmed = false;
    {
        frmFavorites dialog(this);
        const int result = bm::Prompt::current().showDialog(dialog);
        confirmed = result == QDialog::Accepted && !dialog.Cancelled();
        name = dialog.txtName->text();
    }
    if (confirmed) {
        QString why;
        const bool saved =
            query && appendFavourite(favouritesFilePath(), name, query->FileName(), &why);
        if (!saved) {
            const QString description = query ? why : QString("There is no active query window.");
            bm::Prompt::current().message(
                QMessageBox::Warning, QMessageBox::Ok, QCoreApplication::applicationName(),
                "A problem was encountered whilst saving this query to favourites :" + description);
            Report_Error(QString::number(bm::kErrGeneral), "..MDIMain.Add_To_Favourites",
                         description);
            return;
        }
    }
    favourites_->Initialise_Query_Tree();
}

void MDIMain::mnuViewRefresh_Click() {
    // The tree that has the focus: the schema tree reloads what is expanded, the queries tree is
    // read again; the dictionary tree is kept.
    if (trvObjects->hasFocus())
        findChild<SchemaTree *>()->Refresh_Active_Tree();
    else if (trvQueries->hasFocus())
        favourites_->Initialise_Query_Tree();
}

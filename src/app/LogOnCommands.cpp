// Logging on and off: the Connect and Disconnect commands.

#include "MDIMain.h"
#include "browser/SchemaTree.h"
#include "common/Prompt.h"
#include "common/SelectTextOnFocus.h"
#include "db/frmLogin.h"
#include "db/modDatabase.h"
#include "favourites/FavouritesTree.h"

#include <QAction>
#include <QCoreApplication>
#include <QLabel>

bool MDIMain::Connected() const {
    return cnDatabase && cnDatabase->state() == bm::db::Connection::kStateOpen;
}

void MDIMain::mnuFileConnect_Click() {
    // A dialog kept from an earlier Cancel comes back with what was typed into it.
    if (!login_)
        login_ = std::make_unique<frmLogin>(this);
    const int result = bm::Prompt::current().showDialog(*login_);
    login_->hide();
    if (login_->Cancelled() || result != QDialog::Accepted)
        return;
    Close_Connection();
    UserID = login_->txtUserId->text();
    ServiceName = login_->txtServiceName->text();
    Build_Connection_String(ServiceName, UserID, login_->txtPassword->text());
    login_.reset(); // the next Connect starts with empty fields; the password goes with it

    if (Open_Connection()) {
        statusPanel(2)->setText(ServiceName);
        statusPanel(3)->setText(UserID);
        if (Shared_Connection().readOnly())
            bm::Prompt::current().message(
                QMessageBox::Information, QMessageBox::Ok, QCoreApplication::applicationName(),
                "The database \"" + ServiceName +
                    "\" is open read-only: queries run and plans are shown, but changes are "
                    "refused.");
        else
            Create_Plan_Table();
        New_Query();
        findChild<SchemaTree *>()->Initialise_Schema_Tree();
        favourites_->Initialise_Query_Tree();
    } else {
        statusPanel(2)->clear();
        statusPanel(3)->clear();
    }
    updateCommandStates();
}

void MDIMain::mnuFileDisconnect_Click() {
    Close_Connection();
    updateCommandStates();
    statusPanel(2)->setText("DISCONNECTED");
    statusPanel(3)->clear();
}

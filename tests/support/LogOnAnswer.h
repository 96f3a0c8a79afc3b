#pragma once

// The log-on dialog answered as a user would: these values typed, then OK (or Cancel). seen, when
// given, gets what the dialog showed before the typing.

#include "common/SelectTextOnFocus.h"
#include "db/frmLogin.h"

#include <QPushButton>
#include <QStringList>
#include <functional>

inline std::function<int(QDialog &)> logOnAnswer(const QString &user = "scott",
                                                 const QString &password = "tiger",
                                                 const QString &service = "demo", bool ok = true,
                                                 QStringList *seen = nullptr) {
    return [=](QDialog &dialog) {
        auto &login = static_cast<frmLogin &>(dialog);
        if (seen)
            *seen = {login.txtUserId->text(), login.txtPassword->text(),
                     login.txtServiceName->text()};
        login.txtUserId->setText(user);
        login.txtPassword->setText(password);
        login.txtServiceName->setText(service);
        (ok ? login.cmdOK : login.cmdCancel)->click();
        return login.result();
    };
}

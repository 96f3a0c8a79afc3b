#pragma once

// The one place where an unexpected failure reaches the user: the error dialog, with a mail link
// that carries a report to the support mailbox.

#include "sql/AppError.h"

#include <QString>
#include <QUrl>
#include <string_view>

// The support mailbox (a deployment value, set at build time).
QString supportMailAddress();
// The program's version as major.minor.revision.
QString programVersion();

// Shows the error dialog for the error and returns when it is closed.
void Report_Error(const QString &number, const QString &source, const QString &description);

// The five-line report text and the mail link that carries it.
QString errorReportText(const QString &number, const QString &source, const QString &description);
QUrl errorReportLink(const QString &report);

// The error tail of a reporting procedure: appends the procedure's label to the error's source
// and reports it. Call inside a catch block.
void reportCurrentError(std::string_view label);

// Runs a reporting procedure's body; an error leaving it is labelled and reported. Returns
// false when the body failed.
template <class Body> bool runReporting(std::string_view label, Body &&body) {
    try {
        std::forward<Body>(body)();
        return true;
    } catch (...) {
        reportCurrentError(label);
        return false;
    }
}

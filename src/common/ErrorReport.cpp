#include "ErrorReport.h"

#include "BusyCursor.h"
#include "Prompt.h"
#include "frmError.h"

QString supportMailAddress() {
    return QStringLiteral(BRINDLEMARK_SUPPORT_MAIL);
}

QString programVersion() {
    return QStringLiteral(BRINDLEMARK_VERSION);
}

QString errorReportText(const QString &number, const QString &source, const QString &description) {
    return "-----Error Report for Product:Brindlemark " + programVersion() + "\r\n" + "----- " +
           "***** NO: " + number + "\r\n" + " ***** " + "SOURCE: " + source + "\r\n" + " ***** " +
           "DESCRIPTION:" + description + "\r\n" + " ***** ";
}

QUrl errorReportLink(const QString &report) {
    // Every character a mail link needs encoded is encoded, so the body arrives exactly as the
    // report ("&", "%", "#", "?" and line breaks included).
    const QByteArray link = "mailto:" + QUrl::toPercentEncoding(supportMailAddress(), "@") +
                            "?subject=" + QUrl::toPercentEncoding("Bug Report") +
                            "&body=" + QUrl::toPercentEncoding(report);
    return QUrl::fromEncoded(link, QUrl::StrictMode);
}

void Report_Error(const QString &number, const QString &source, const QString &description) {
    bm::setDefaultPointer();
    frmError dialog;
    dialog.setDetails(number, source, description);
    bm::Prompt::current().showDialog(dialog);
}

void reportCurrentError(std::string_view label) {
    bm::AppError error = bm::currentError();
    error.appendLabel(label);
    Report_Error(QString::number(error.number()), QString::fromStdString(error.source()),
                 QString::fromStdString(error.description()));
}

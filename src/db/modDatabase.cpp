#include "modDatabase.h"

#include "DatabaseSession.h"
#include "common/Prompt.h"
#include "common/frmTrace.h"
#include "db/oracle/OracleSession.h"
#include "settings/ProgramSettings.h"
#include "sql/AppError.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QGuiApplication>
#include <QStandardPaths>

std::unique_ptr<bm::db::Connection> cnDatabase;
QString strConnect;

namespace {

bm::db::SampleSource sampleSource() {
    QFile script(":/sample/demo.sql");
    script.open(QIODevice::ReadOnly);
    return {sampleDatabasePath().toStdString(), script.readAll().toStdString()};
}

} // namespace

QString sampleDatabasePath() {
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + "/demo.db";
}

void Build_Connection_String(const QString &ServiceName, const QString &UserID,
                             const QString &Password) {
    std::string password = Password.toStdString();
    std::string text =
        bm::db::buildConnectionString(ServiceName.toStdString(), UserID.toStdString(), password);
    strConnect = QString::fromStdString(text);
    bm::db::wipeSecret(password);
    bm::db::wipeSecret(text);
}

namespace {

// After the engine has opened or failed, strConnect keeps everything but the password.
void forgetPassword() {
    std::string text = strConnect.toStdString();
    const QString kept = QString::fromStdString(bm::db::withoutPassword(text));
    bm::db::wipeSecret(text);
    strConnect.fill(QChar(0));
    strConnect = kept;
}

// [Oracle] ClientLibrary names the client library's file where it is not found by its usual
// names; FetchRows is the rows read per round trip.
void applyOracleSettings() {
    const auto settings = programSettings();
    const QString library = settings->value("Oracle/ClientLibrary").toString();
    if (!library.isEmpty())
        bm::db::setOracleClientLibrary(library.toStdString());
    bm::db::setOracleFetchRows(
        settings->value("Oracle/FetchRows", bm::db::kDefaultOracleFetchRows).toInt());
}

// Logs on on the background worker: a database across the network may take its time to
// answer, and the windows keep painting meanwhile (they take no input until it is done).
void openOnTheWorker(bm::db::Connection &connection, const bm::db::SampleSource &sample) {
    std::exception_ptr failure;
    bool done = false;
    QEventLoop loop;
    DatabaseSession::instance().submit({&loop,
                                        [&] {
                                            try {
                                                connection.open(sample);
                                            } catch (...) {
                                                failure = std::current_exception();
                                            }
                                            QMetaObject::invokeMethod(
                                                &loop,
                                                [&] {
                                                    done = true;
                                                    loop.quit();
                                                },
                                                Qt::QueuedConnection);
                                        },
                                        {},
                                        [&] { done = true; }});
    if (!done) {
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        loop.exec(QEventLoop::ExcludeUserInputEvents);
        QGuiApplication::restoreOverrideCursor();
    }
    if (failure)
        std::rethrow_exception(failure);
}

} // namespace

bool Open_Connection() {
    try {
        if (!cnDatabase)
            cnDatabase = std::make_unique<bm::db::Connection>();
        if (cnDatabase->state() == bm::db::Connection::kStateOpen)
            return true;
        cnDatabase->setConnectionString(strConnect.toStdString());
        forgetPassword();
        applyOracleSettings();
        openOnTheWorker(*cnDatabase, sampleSource());
        return true;
    } catch (...) {
        forgetPassword();
        // The fixed warning, then the engine's reason, which the user needs to act on.
        const bm::AppError error = bm::currentError();
        bm::Prompt::current().message(
            QMessageBox::Warning, QMessageBox::Ok, QCoreApplication::applicationName(),
            "Database connection problem encountered.  Please review your SQLNet/Net8 service "
            "name and login credentials.\n\n" +
                QString::fromStdString(error.description()));
        return false;
    }
}

std::unique_ptr<bm::db::Recordset> Get_Recordset(const QString &SQL, qint32 MaxRecords) {
    Write_Trace(SQL);
    return bm::reraiseLabelled("..modDatabase.Get_Recordset", [&] {
        try {
            auto recordset = Shared_Connection().query(SQL.toStdString(), MaxRecords);
            Write_Trace("<SUCCESS>");
            return recordset;
        } catch (...) {
            Write_Trace("<FAILURE>");
            throw;
        }
    });
}

bm::db::Connection &Shared_Connection() {
    if (!cnDatabase)
        throw bm::AppError(bm::kErrGeneral, "Connection", bm::kClosedMessage);
    return *cnDatabase;
}

void Close_Connection() {
    // Whatever runs on the connection ends first; nothing is left running.
    DatabaseSession::instance().stopAll();
    if (!cnDatabase)
        return;
    cnDatabase->close();
    cnDatabase.reset();
}

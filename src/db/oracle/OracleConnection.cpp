#include "db/oracle/OracleConnection.h"

#include "db/core/Session.h"
#include "sql/AppError.h"

namespace bm::db {

using namespace oci;

bool isConnectionLost(int code) {
    switch (code) {
    case 28:    // your session has been killed
    case 1012:  // not logged on
    case 1033:  // initialization or shutdown in progress
    case 1034:  // ORACLE not available
    case 1089:  // immediate shutdown in progress
    case 1092:  // instance terminated
    case 2396:  // exceeded maximum idle time
    case 3113:  // end-of-file on communication channel
    case 3114:  // not connected to ORACLE
    case 3135:  // connection lost contact
    case 12153: // not connected
    case 12537: // connection closed
    case 12547: // lost contact
    case 12570: // packet reader failure
    case 12583: // no reader
        return true;
    default:
        return false;
    }
}

std::string logonMessage(int code, const std::string &text) {
    switch (code) {
    case 12154:
        return text + " (the net service name is not in tnsnames.ora: check the name, and that "
                      "TNS_ADMIN names the folder holding tnsnames.ora; an Easy Connect string "
                      "host:port/service also works)";
    case 1017:
        return text + " (check the user name and the password; passwords are case-sensitive)";
    case 28000:
        return text + " (the database administrator can unlock the account)";
    default:
        return text;
    }
}

std::pair<int, std::string> OracleConnection::errorText(void *handle, ub4 type) const {
    sb4 code = 0;
    OraText buffer[3072] = {};
    if (!handle ||
        f.OCIErrorGet(handle, 1, nullptr, &code, buffer, sizeof buffer, type) != kSuccess)
        return {0, "The Oracle client reported a failure without a message."};
    std::string text(reinterpret_cast<const char *>(buffer));
    while (!text.empty() && (text.back() == '\n' || text.back() == ' ' || text.back() == '\r'))
        text.pop_back();
    return {code, text};
}

void OracleConnection::checkInterrupted() const {
    if (interrupted)
        throw AppError(kErrGeneral, kOracleSource, kCancelledMessage);
    if (lost || !svc)
        throw AppError(kErrGeneral, kOracleSource,
                       "The connection to the database was lost. Log on again.");
}

void OracleConnection::check(sword rc) {
    if (rc == kSuccess || rc == kSuccessWithInfo || rc == kNoData || rc == kNeedData)
        return;
    if (rc == kInvalidHandle)
        throw AppError(kErrGeneral, kOracleSource,
                       "The Oracle client was given an invalid handle.");
    const auto [code, text] = errorText(err, kHtypeError);
    if (code == 1013)
        throw AppError(kErrGeneral, kOracleSource, kCancelledMessage);
    if (isConnectionLost(code)) {
        lost = true;
        throw AppError(kErrGeneral, kOracleSource,
                       text + "\nThe connection to the database was lost. Log on again.");
    }
    throw AppError(kErrStatementRejected, kOracleSource, text);
}

Statement::Statement(OracleConnection &c, std::string_view sql) : connection(c) {
    c.checkInterrupted();
    if (sql.find_first_not_of(" \t\r\n") == std::string_view::npos)
        throw AppError(kErrStatementRejected, kOracleSource, "The statement text is empty.");
    const sword rc =
        c.f.OCIStmtPrepare2(c.svc, &handle, c.err, reinterpret_cast<const OraText *>(sql.data()),
                            static_cast<ub4>(sql.size()), nullptr, 0, kNativeSyntax, kDefault);
    if (rc != kSuccess && rc != kSuccessWithInfo) {
        if (handle)
            c.f.OCIStmtRelease(handle, c.err, nullptr, 0, kDefault);
        handle = nullptr;
        c.check(rc);
    }
    c.f.OCIAttrGet(handle, kHtypeStmt, &type_, nullptr, kAttrStmtType, c.err);
}

Statement::~Statement() {
    if (handle && !connection.lost)
        connection.f.OCIStmtRelease(handle, connection.err, nullptr, 0, kDefault);
}

void Statement::run(ub4 iterations, ub4 mode) {
    connection.checkInterrupted();
    if (isQuery()) {
        // No rows ahead of the fetch: the array fetch asks for exactly the rows wanted.
        ub4 none = 0;
        connection.f.OCIAttrSet(handle, kHtypeStmt, &none, 0, kAttrPrefetchRows, connection.err);
    }
    connection.check(connection.f.OCIStmtExecute(connection.svc, handle, connection.err, iterations,
                                                 0, nullptr, nullptr, mode));
}

std::int64_t Statement::rowCount() const {
    ub4 rows = 0;
    connection.f.OCIAttrGet(handle, kHtypeStmt, &rows, nullptr, kAttrRowCount, connection.err);
    return rows;
}

} // namespace bm::db

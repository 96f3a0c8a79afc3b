#pragma once

// What a session, its statements and their cursors share: the client's functions and handles,
// and the reading of the client's errors into the program's (number, source, description).

#include "db/oracle/OciApi.h"

#include <atomic>
#include <string>
#include <string_view>
#include <utility>

namespace bm::db {

inline constexpr const char *kOracleSource = "Brindlemark Oracle engine";

// Oracle's numbers for a connection that is gone.
bool isConnectionLost(int code);
// A log-on failure worded for the user, with Oracle's text.
std::string logonMessage(int code, const std::string &text);

class OracleConnection {
public:
    explicit OracleConnection(const oci::Functions &functions) : f(functions) {}

    // The first error record of a handle: Oracle's number and text.
    std::pair<int, std::string> errorText(void *handle, oci::ub4 type) const;
    // Raises the error of a failed call: cancelled and lost connections as kErrGeneral (a lost
    // connection also closes the session), anything the server said of the statement as
    // kErrStatementRejected.
    void check(oci::sword rc);
    // Raises the cancel before a call when the session was interrupted.
    void checkInterrupted() const;

    const oci::Functions &f;
    oci::OCIEnv *env = nullptr;
    oci::OCIError *err = nullptr;
    oci::OCISvcCtx *svc = nullptr;
    std::atomic<bool> lost{false};
    std::atomic<bool> interrupted{false};
};

// One prepared statement, released when it goes.
class Statement {
public:
    Statement(OracleConnection &connection, std::string_view sql);
    ~Statement();
    Statement(const Statement &) = delete;
    Statement &operator=(const Statement &) = delete;

    bool isQuery() const { return type_ == oci::kStmtSelect; }
    // iterations 0 executes and describes a query; 1 runs any other statement.
    void run(oci::ub4 iterations, oci::ub4 mode);
    std::int64_t rowCount() const;

    OracleConnection &connection;
    oci::OCIStmt *handle = nullptr;

private:
    oci::ub2 type_ = 0;
};

} // namespace bm::db

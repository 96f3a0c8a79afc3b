#include "db/oracle/OracleSession.h"

#include "db/oracle/OciApi.h"
#include "db/oracle/OracleCursor.h"
#include "sql/AppError.h"
#include "sql/PlSql.h"

#include <algorithm>
#include <atomic>

namespace bm::db {

using namespace oci;

namespace {

std::atomic<int> fetchRows{kDefaultOracleFetchRows};

// The statement text as the server takes it: a SQL statement without the ";" a script puts
// after it (ORA-00911 otherwise); a PL/SQL block keeps its own.
std::string_view serverText(std::string_view sql) {
    while (!sql.empty() && std::string_view(" \t\r\n").find(sql.back()) != std::string_view::npos)
        sql.remove_suffix(1);
    if (!sql.empty() && sql.back() == ';' && !isPlSql(tokenize(sql)))
        sql.remove_suffix(1);
    return sql;
}

class OracleSession : public Session, public OracleConnection {
public:
    OracleSession(const Functions &f, const ConnectionSettings &settings) : OracleConnection(f) {
        if (f.OCIEnvNlsCreate(&env, kThreaded, nullptr, nullptr, nullptr, nullptr, 0, nullptr,
                              kCharsetAl32Utf8, kCharsetAl32Utf8) != kSuccess ||
            !env) {
            std::string detail = "the Oracle client could not start";
            if (env)
                detail = errorText(env, kHtypeEnv).second;
            release();
            throw AppError(kErrGeneral, kOracleSource,
                           detail + " (check the client's installation, ORACLE_HOME and "
                                    "NLS_LANG)");
        }
        void *handle = nullptr;
        f.OCIHandleAlloc(env, &handle, kHtypeError, 0, nullptr);
        err = static_cast<OCIError *>(handle);
        // The cancel comes from another thread: it reports into a handle of its own.
        handle = nullptr;
        f.OCIHandleAlloc(env, &handle, kHtypeError, 0, nullptr);
        breakErr_ = static_cast<OCIError *>(handle);
        const auto text = [](const std::string &s) {
            return reinterpret_cast<const OraText *>(s.data());
        };
        const sword rc = f.OCILogon2(
            env, err, &svc, text(settings.userId), static_cast<ub4>(settings.userId.size()),
            text(settings.password), static_cast<ub4>(settings.password.size()),
            text(settings.dataSource), static_cast<ub4>(settings.dataSource.size()), kDefault);
        if (rc != kSuccess && rc != kSuccessWithInfo) {
            const auto [code, message] = errorText(err, kHtypeError);
            release();
            throw AppError(kErrGeneral, kOracleSource, logonMessage(code, message));
        }
        // Dates, timestamps and numbers read the same whatever the client's language settings.
        execute("ALTER SESSION SET NLS_DATE_FORMAT = 'YYYY-MM-DD HH24:MI:SS' "
                "NLS_TIMESTAMP_FORMAT = 'YYYY-MM-DD HH24:MI:SS.FF' "
                "NLS_TIMESTAMP_TZ_FORMAT = 'YYYY-MM-DD HH24:MI:SS.FF TZR' "
                "NLS_NUMERIC_CHARACTERS = '.,'");
    }
    ~OracleSession() override { close(); }

    bool isOpen() const override { return svc != nullptr && !lost; }

    void close() noexcept override {
        if (svc && !lost)
            f.OCILogoff(svc, err);
        svc = nullptr;
        release();
    }

    std::int64_t execute(std::string_view sql) override {
        Statement statement(*this, serverText(sql));
        if (statement.isQuery()) {
            statement.run(0, kDefault);
            return 0;
        }
        // Each statement commits, so that nothing is left uncommitted or locked.
        statement.run(1, kCommitOnSuccess);
        return statement.rowCount();
    }

    std::unique_ptr<Cursor> open(std::string_view sql) override {
        auto statement = std::make_unique<Statement>(*this, serverText(sql));
        if (!statement->isQuery()) {
            statement->run(1, kCommitOnSuccess);
            return std::make_unique<OracleCursor>(nullptr, 0);
        }
        statement->run(0, kDefault);
        return std::make_unique<OracleCursor>(std::move(statement), fetchRows.load());
    }

    void interrupt() noexcept override {
        interrupted = true;
        if (svc && !lost)
            f.OCIBreak(svc, breakErr_);
    }
    void clearInterrupt() noexcept override { interrupted = false; }

private:
    OCIError *breakErr_ = nullptr;

    void release() noexcept {
        if (breakErr_)
            f.OCIHandleFree(breakErr_, kHtypeError);
        breakErr_ = nullptr;
        if (err)
            f.OCIHandleFree(err, kHtypeError);
        err = nullptr;
        if (env)
            f.OCIHandleFree(env, kHtypeEnv);
        env = nullptr;
    }
};

} // namespace

void setOracleClientLibrary(std::string path) {
    setClientLibraryPath(std::move(path));
}

void setOracleFetchRows(int rows) {
    fetchRows = std::clamp(rows, 1, 100000);
}

int oracleFetchRows() {
    return fetchRows.load();
}

std::unique_ptr<Session> openOracleSession(const ConnectionSettings &settings) {
    const Client &loaded = client();
    if (!loaded.functions)
        throw AppError(kErrGeneral, kOracleSource, loaded.problem);
    return std::make_unique<OracleSession>(*loaded.functions, settings);
}

} // namespace bm::db

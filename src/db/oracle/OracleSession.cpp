#include "db/oracle/OracleSession.h"

#include "sql/AppError.h"

#include <cstdlib>
#include <dlfcn.h>
#include <string>

namespace bm::db {

namespace {

void *findOracleClient() {
    static const char *const names[] = {
        "libclntsh.so",      "libclntsh.so.23.1", "libclntsh.so.21.1", "libclntsh.so.19.1",
        "libclntsh.so.18.1", "libclntsh.so.12.1", "libclntsh.so.11.1"};
    for (const char *name : names) {
        if (void *handle = dlopen(name, RTLD_NOW | RTLD_GLOBAL))
            return handle;
    }
    if (const char *home = std::getenv("ORACLE_HOME"); home && *home) {
        for (const char *name : names) {
            const std::string path = std::string(home) + "/lib/" + name;
            if (void *handle = dlopen(path.c_str(), RTLD_NOW | RTLD_GLOBAL))
                return handle;
        }
    }
    return nullptr;
}

} // namespace

void *loadOracleClient() {
    // Looked for once: the answer does not change while the program runs.
    static void *const handle = findOracleClient();
    return handle;
}

std::unique_ptr<Session> openOracleSession(const ConnectionSettings &) {
    if (!loadOracleClient())
        throw AppError(kErrGeneral, "Brindlemark Oracle engine", "Oracle client library not found");
    // The client is there, but the calls that log on through it are not part of this build.
    throw AppError(kErrGeneral, "Brindlemark Oracle engine",
                   "Oracle client library found, but this build cannot log on through it yet");
}

} // namespace bm::db

#include "db/oracle/OciApi.h"

#include <cstdlib>
#include <dlfcn.h>
#include <mutex>

namespace bm::db::oci {

namespace {

std::mutex pathMutex;
std::string configuredPath;

const char *const kNames[] = {"libclntsh.so",      "libclntsh.so.23.1", "libclntsh.so.21.1",
                              "libclntsh.so.19.1", "libclntsh.so.18.1", "libclntsh.so.12.1",
                              "libclntsh.so.11.1"};

template <typename F> bool find(void *library, const char *name, F &function) {
    function = reinterpret_cast<F>(dlsym(library, name));
    return function != nullptr;
}

} // namespace

std::string resolveFunctions(void *library, Functions &f) {
#define BM_OCI_REQUIRE(name)                                                                       \
    if (!find(library, #name, f.name))                                                             \
        return #name;
    BM_OCI_REQUIRE(OCIEnvNlsCreate)
    BM_OCI_REQUIRE(OCIHandleAlloc)
    BM_OCI_REQUIRE(OCIHandleFree)
    BM_OCI_REQUIRE(OCIDescriptorAlloc)
    BM_OCI_REQUIRE(OCIDescriptorFree)
    BM_OCI_REQUIRE(OCIAttrGet)
    BM_OCI_REQUIRE(OCIAttrSet)
    BM_OCI_REQUIRE(OCIErrorGet)
    BM_OCI_REQUIRE(OCILogon2)
    BM_OCI_REQUIRE(OCILogoff)
    BM_OCI_REQUIRE(OCIStmtPrepare2)
    BM_OCI_REQUIRE(OCIStmtRelease)
    BM_OCI_REQUIRE(OCIStmtExecute)
    BM_OCI_REQUIRE(OCIStmtFetch2)
    BM_OCI_REQUIRE(OCIParamGet)
    BM_OCI_REQUIRE(OCIDefineByPos)
    BM_OCI_REQUIRE(OCILobRead2)
    BM_OCI_REQUIRE(OCIBreak)
    BM_OCI_REQUIRE(OCITransCommit)
    BM_OCI_REQUIRE(OCITransRollback)
#undef BM_OCI_REQUIRE
    find(library, "OCIClientVersion", f.OCIClientVersion); // optional
    return {};
}

void setClientLibraryPath(std::string path) {
    std::lock_guard lock(pathMutex);
    configuredPath = std::move(path);
}

std::vector<std::string> candidateLibraries() {
    std::vector<std::string> names;
    {
        std::lock_guard lock(pathMutex);
        if (!configuredPath.empty())
            names.push_back(configuredPath);
    }
    for (const char *name : kNames)
        names.emplace_back(name);
    if (const char *home = std::getenv("ORACLE_HOME"); home && *home)
        for (const char *name : kNames)
            names.push_back(std::string(home) + "/lib/" + name);
    return names;
}

Client loadClient(const std::vector<std::string> &candidates) {
    Client client;
    std::string dependencyProblem;
    for (const std::string &name : candidates) {
        // RTLD_NOW: a missing dependency fails here, with the loader's words, not later.
        void *library = dlopen(name.c_str(), RTLD_NOW | RTLD_GLOBAL);
        if (!library) {
            const std::string why = dlerror();
            // Anything but the file itself being absent (a library it needs, a wrong
            // architecture) matters more to the user than "not found".
            const bool absent =
                why.rfind(name + ":", 0) == 0 && why.find("No such file") != std::string::npos;
            if (!absent && dependencyProblem.empty())
                dependencyProblem = why;
            continue;
        }
        // Kept for the whole run: handles of the library may live until the program ends.
        auto *functions = new Functions{};
        if (const std::string missing = resolveFunctions(library, *functions); !missing.empty()) {
            delete functions;
            client.problem = "The Oracle client library " + name + " lacks the function " +
                             missing +
                             ": the client is too old or is not Oracle's. Install Oracle Instant "
                             "Client 11.2 or newer.";
            return client;
        }
        client.functions = functions;
        if (functions->OCIClientVersion) {
            sword v[5] = {};
            functions->OCIClientVersion(&v[0], &v[1], &v[2], &v[3], &v[4]);
            client.version = std::to_string(v[0]) + "." + std::to_string(v[1]) + "." +
                             std::to_string(v[2]) + "." + std::to_string(v[3]) + "." +
                             std::to_string(v[4]);
        }
        return client;
    }
    if (dependencyProblem.find("libaio") != std::string::npos)
        client.problem = "The Oracle client library needs libaio, which is not installed (" +
                         dependencyProblem +
                         "). Install the package libaio1 (or libaio1t64, with a link named "
                         "libaio.so.1).";
    else if (!dependencyProblem.empty())
        client.problem = "The Oracle client library could not be loaded: " + dependencyProblem;
    else
        client.problem = "Oracle client library not found. Install Oracle Instant Client (Basic "
                         "or Basic Light) and put its folder in LD_LIBRARY_PATH (or register it "
                         "with ldconfig), set ORACLE_HOME for a full client, or name the library "
                         "in Options.";
    return client;
}

const Client &client() {
    static const Client loaded = loadClient(candidateLibraries());
    return loaded;
}

} // namespace bm::db::oci

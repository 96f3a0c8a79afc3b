#include "db/embedded/SessionRegistry.h"

#include "sql/SqlTokenizer.h"

#include <ctime>
#include <mutex>

namespace bm::db {

namespace {

struct Registry {
    std::mutex mutex;
    std::vector<SessionInfo> sessions;
    int nextSid = 1;
};

// Made on first use and never destroyed: a session closed while the process ends, after static
// objects are gone, still finds the registry.
Registry &registry() {
    static Registry *const instance = new Registry;
    return *instance;
}

} // namespace

std::string currentDateTime(const char *format) {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[32];
    std::strftime(text, sizeof text, format, &local);
    return text;
}

int registerSession(const std::string &userName) {
    Registry &r = registry();
    std::lock_guard lock(r.mutex);
    SessionInfo info;
    info.sid = r.nextSid++;
    info.serial = 1 + (info.sid * 7919) % 65535;
    info.userName = upperAscii(userName);
    info.logonTime = currentDateTime();
    r.sessions.push_back(info);
    return info.sid;
}

void unregisterSession(int sid) {
    Registry &r = registry();
    std::lock_guard lock(r.mutex);
    std::erase_if(r.sessions, [sid](const SessionInfo &s) { return s.sid == sid; });
}

std::vector<SessionInfo> openSessions() {
    Registry &r = registry();
    std::lock_guard lock(r.mutex);
    return r.sessions;
}

} // namespace bm::db

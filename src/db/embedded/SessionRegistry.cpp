#include "db/embedded/SessionRegistry.h"

#include "sql/SqlTokenizer.h"

#include <algorithm>
#include <ctime>
#include <mutex>

namespace bm::db {

namespace {
std::mutex registryMutex;
std::vector<SessionInfo> registry;
int nextSid = 1;
} // namespace

std::string currentDateTime() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
    return text;
}

int registerSession(const std::string &userName) {
    std::lock_guard lock(registryMutex);
    SessionInfo info;
    info.sid = nextSid++;
    info.serial = 1 + (info.sid * 7919) % 65535;
    info.userName = upperAscii(userName);
    info.logonTime = currentDateTime();
    registry.push_back(info);
    return info.sid;
}

void unregisterSession(int sid) {
    std::lock_guard lock(registryMutex);
    registry.erase(std::remove_if(registry.begin(), registry.end(),
                                  [sid](const SessionInfo &s) { return s.sid == sid; }),
                   registry.end());
}

std::vector<SessionInfo> openSessions() {
    std::lock_guard lock(registryMutex);
    return registry;
}

} // namespace bm::db

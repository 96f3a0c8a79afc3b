#pragma once

// The embedded sessions open in this process, as V$SESSION and V$PROCESS show them.

#include <string>
#include <vector>

namespace bm::db {

struct SessionInfo {
    int sid = 0;
    int serial = 0;
    std::string userName;  // upper case, as the log-on user
    std::string logonTime; // YYYY-MM-DD HH:MM:SS
};

int registerSession(const std::string &userName);
void unregisterSession(int sid);
std::vector<SessionInfo> openSessions();

// The current local date and time, by default as the engine stores dates.
std::string currentDateTime(const char *format = "%Y-%m-%d %H:%M:%S");

} // namespace bm::db

#pragma once

// The Oracle engine: Oracle's client library, loaded at run time so that the program builds and
// runs where no Oracle client is installed.

#include "db/core/ConnectionString.h"
#include "db/core/Session.h"

namespace bm::db {

// Loads the client library and logs on; raises kErrGeneral when it cannot.
std::unique_ptr<Session> openOracleSession(const ConnectionSettings &settings);

// The client library's handle, or nullptr where none is installed.
void *loadOracleClient();

} // namespace bm::db

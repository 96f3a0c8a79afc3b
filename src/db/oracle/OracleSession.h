#pragma once

// The Oracle engine: a session on an Oracle database through Oracle's client library, which is
// loaded at run time so that the program builds and runs where no Oracle client is installed.

#include "db/core/ConnectionString.h"
#include "db/core/Session.h"

#include <string>

namespace bm::db {

// Set from the program's settings before the first log-on: the client library's path (empty:
// look for it by its usual names) and the rows fetched per round trip.
void setOracleClientLibrary(std::string path);
void setOracleFetchRows(int rows);
int oracleFetchRows();
inline constexpr int kDefaultOracleFetchRows = 1000;

// Loads the client library and logs on to the data source (a net service name, an Easy Connect
// string or a connect descriptor); raises kErrGeneral with the reason when it cannot.
std::unique_ptr<Session> openOracleSession(const ConnectionSettings &settings);

} // namespace bm::db

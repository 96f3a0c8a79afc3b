#pragma once

// The program's database module: the one shared connection, its connection string, and running
// a query text into a recordset with every statement and its outcome in the trace window.

#include "db/Connection.h"
#include "db/core/ConnectionString.h"

#include <QString>
#include <memory>

// The shared connection: null until the first open, released by Close_Connection.
extern std::unique_ptr<bm::db::Connection> cnDatabase;
// The connection string of the last log-on. It holds the password only from
// Build_Connection_String until Open_Connection has handed it to the engine; then it is wiped.
extern QString strConnect;

void Build_Connection_String(const QString &ServiceName, const QString &UserID,
                             const QString &Password);
// True when the connection is open on return; a failure is shown to the user and gives false.
bool Open_Connection();
// Runs SQL into a recordset positioned on its first row; MaxRecords <= 0 means no limit.
// Failures go to the caller labelled "..modDatabase.Get_Recordset".
std::unique_ptr<bm::db::Recordset> Get_Recordset(const QString &SQL, qint32 MaxRecords);
// The shared connection for running a statement on it directly; raises the "closed" error
// (kErrGeneral) when there is none.
bm::db::Connection &Shared_Connection();
// Closes and releases the connection; never fails.
void Close_Connection();

// The per-user copy of the sample database that the data source "demo" opens.
QString sampleDatabasePath();

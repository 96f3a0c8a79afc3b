#pragma once

// EXPLAIN PLAN [SET STATEMENT_ID = '…'] [INTO table] FOR statement: the statement's plan, read
// from SQLite's own query plan and written into the plan table the way Oracle lays it out.

#include "db/embedded/OracleDialect.h"

struct sqlite3;

namespace bm::db {

// True when the tokens begin with EXPLAIN PLAN.
bool isExplainPlan(const std::vector<Token> &tokens);

// Explains the statement into the plan table; returns the number of plan rows written.
// Raises kErrStatementRejected as Oracle would: no plan table, a plan table of the wrong shape,
// or the inner statement's own error.
int explainPlan(sqlite3 *db, const std::vector<Token> &tokens, const DialectContext &context);

// As Oracle provides a PLAN_TABLE to every session, the engine gives a session whose database
// has none its own, in the session's temporary schema (so also on a read-only file).
void providePlanTable(sqlite3 *db);

} // namespace bm::db

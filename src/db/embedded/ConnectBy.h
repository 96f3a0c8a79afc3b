#pragma once

// Hierarchical queries (START WITH … CONNECT BY [NOCYCLE] PRIOR a = b, LEVEL) over one table or
// view, run as a recursive common table expression in depth-first order.

#include "db/embedded/OracleDialect.h"

#include <string>

namespace bm::db {

// Translates a SELECT with CONNECT BY; raises kErrStatementRejected naming any part of the
// construct the engine cannot run.
std::string translateHierarchicalQuery(const std::string &sql, const DialectContext &context);

} // namespace bm::db

#pragma once

// Telling PL/SQL from SQL: a block or a stored program unit keeps its own semicolons, and only
// an Oracle database runs it.

#include "sql/SqlTokenizer.h"

#include <vector>

namespace bm::db {

// A PL/SQL block (BEGIN …, DECLARE …) or CREATE [OR REPLACE] [EDITIONABLE] PROCEDURE, FUNCTION,
// PACKAGE, TRIGGER or TYPE. BEGIN [DEFERRED | IMMEDIATE | EXCLUSIVE] [TRANSACTION] alone is not.
bool isPlSql(const std::vector<Token> &tokens);

} // namespace bm::db

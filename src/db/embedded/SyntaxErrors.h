#pragma once

// Oracle's numbers for a statement SQLite could not parse: the place where the parser stopped
// tells a missing expression from a select list without FROM or text after a complete command.

#include <string>
#include <string_view>

namespace bm::db {

// sql is the statement as SQLite was given it, offset where SQLite stopped (or -1) and message
// SQLite's text, which follows Oracle's for detail.
std::string oracleSyntaxError(std::string_view sql, int offset, const std::string &message);

} // namespace bm::db

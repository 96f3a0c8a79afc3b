#pragma once

// The bundled sample database: a per-user SQLite file built from the sample-schema script.

#include <string>

namespace bm::db {

// Makes sure a usable sample database stands at path: a missing or broken file is built anew
// from the script in a temporary file beside it, then moved into place, so a failure never
// leaves a half-made database. Raises kErrGeneral when it cannot.
void ensureSampleDatabase(const std::string &path, const std::string &script);

// True when path holds an SQLite database that passes a quick integrity check.
bool isUsableDatabase(const std::string &path);

} // namespace bm::db

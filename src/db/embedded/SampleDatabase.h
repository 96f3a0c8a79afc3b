#pragma once

// The bundled sample database: a per-user SQLite file built from the sample-schema script.

#include <string>

namespace bm::db {

enum class SampleFileState {
    Missing,
    Usable,
    InUse,    // another session holds a lock on it: it is in use, not damaged
    Damaged,  // empty, not a database, or fails the integrity check
    Outdated, // made by an older sample script (its schema lacks objects the program shows)
};

// What stands at path. Waits a while for a lock to go before it answers InUse. Raises
// kErrGeneral when the file is there but cannot be read at all (permissions, I/O).
SampleFileState sampleFileState(const std::string &path);

// The version the current sample script writes (its user_version).
inline constexpr int kSampleVersion = 2;

// Makes sure a usable sample database stands at path. A missing file is built from the script
// in a temporary file beside it and moved into place, so a failure never leaves a half-made
// database; a damaged one is first moved aside (path + ".damaged-<time>"), never deleted, and so
// is an outdated one (path + ".outdated-<time>"). A file in use is left alone. Raises
// kErrGeneral when it cannot.
void ensureSampleDatabase(const std::string &path, const std::string &script);

} // namespace bm::db

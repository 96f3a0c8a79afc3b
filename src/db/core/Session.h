#pragma once

// One open database session of an engine (embedded or Oracle). Failures raise bm::AppError:
// kErrStatementRejected when the database refuses the statement, kErrGeneral otherwise.

#include "db/core/Recordset.h"

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

namespace bm::db {

// An open statement whose rows are fetched in batches.
class Cursor {
public:
    virtual ~Cursor() = default;
    // The result's fields; none for a statement that returns no rows.
    virtual const std::vector<Field> &fields() const = 0;
    // Appends up to maxRows further rows to the recordset (made from fields()); false once the
    // end of the data has been reached.
    virtual bool fetch(Recordset &into, std::size_t maxRows) = 0;
};

class Session {
public:
    virtual ~Session() = default;

    virtual bool isOpen() const = 0;
    virtual void close() noexcept = 0;
    // True when the database takes no changes (a file opened read-only).
    virtual bool readOnly() const { return false; }
    // Runs one statement for its effect (autocommit); returns the rows it changed.
    virtual std::int64_t execute(std::string_view sql) = 0;
    // Runs one statement and returns its cursor, before any row is fetched.
    virtual std::unique_ptr<Cursor> open(std::string_view sql) = 0;
    // Stops what the session is running, from any thread: the statement fails with
    // "ORA-01013: user requested cancel of current operation", and so does every statement
    // after it until clearInterrupt().
    virtual void interrupt() noexcept = 0;
    virtual void clearInterrupt() noexcept = 0;
    // True while the running statement waits for a lock that another program holds.
    virtual bool waitingForLock() const noexcept { return false; }

    // Runs one statement and fetches its whole result; maxRecords > 0 stops after that many
    // rows. A statement without a result gives a recordset with no fields.
    std::unique_ptr<Recordset> query(std::string_view sql, std::int32_t maxRecords);
};

// Fetches a whole result through a cursor, at most maxRecords rows when that is above 0.
std::unique_ptr<Recordset> fetchAll(Cursor &cursor, std::int32_t maxRecords);

// The text of the error a cancelled statement raises.
inline constexpr const char *kCancelledMessage =
    "ORA-01013: user requested cancel of current operation";

// How long a statement waits for a lock another program holds. The background worker waits
// until it gets the lock or is cancelled; any other thread gives up after a few seconds, so that
// it never hangs on another program.
void setWaitForLocksWithoutLimit(bool withoutLimit);
bool waitsForLocksWithoutLimit();

} // namespace bm::db

#pragma once

// One open database session of an engine (embedded or Oracle). Failures raise bm::AppError:
// kErrStatementRejected when the database refuses the statement, kErrGeneral otherwise.

#include "db/core/Recordset.h"

#include <cstdint>
#include <memory>
#include <string_view>

namespace bm::db {

class Session {
public:
    virtual ~Session() = default;

    virtual bool isOpen() const = 0;
    virtual void close() noexcept = 0;
    // True when the database takes no changes (a file opened read-only).
    virtual bool readOnly() const { return false; }
    // Runs one statement for its effect (autocommit); returns the rows it changed.
    virtual std::int64_t execute(std::string_view sql) = 0;
    // Runs one statement and fetches its whole result; maxRecords > 0 stops after that many
    // rows. A statement without a result gives a recordset with no fields.
    virtual std::unique_ptr<Recordset> query(std::string_view sql, std::int32_t maxRecords) = 0;
};

} // namespace bm::db

#pragma once

// The rows of an Oracle query, fetched in arrays of many rows per round trip straight into the
// recordset: every value as text the way the program shows it (numbers as exact decimal text,
// dates and timestamps in ISO form, RAW and BLOB as upper-case hexadecimal, LOBs read in chunks).

#include "db/core/Session.h"
#include "db/oracle/OracleConnection.h"

#include <memory>
#include <vector>

namespace bm::db {

class OracleCursor : public Cursor {
public:
    // No statement: a statement without rows. batchRows: rows per round trip.
    OracleCursor(std::unique_ptr<Statement> statement, int batchRows);
    ~OracleCursor() override;

    const std::vector<Field> &fields() const override { return fields_; }
    bool fetch(Recordset &into, std::size_t maxRows) override;

    // Round trips made so far (array fetches and LOB reads).
    std::size_t roundTrips() const { return roundTrips_; }

private:
    enum class Kind { Text, Clob, Blob, Placeholder };
    struct Column {
        Kind kind = Kind::Text;
        oci::ub2 oracleType = 0;
        oci::ub1 charsetForm = 1;
        std::size_t slot = 0;     // bytes per row
        std::vector<char> buffer; // rows × slot
        std::vector<oci::sb2> indicators;
        std::vector<oci::ub2> lengths, codes;
        std::vector<oci::OCILobLocator *> locators;
        std::string placeholder; // shown for types read no further
    };
    void describe(int batchRows);
    void appendLob(Recordset &into, int field, Column &column, std::size_t row);

    std::unique_ptr<Statement> statement_;
    std::vector<Field> fields_;
    std::vector<Column> columns_;
    std::size_t batchRows_ = 0;
    bool done_ = false;
    std::size_t roundTrips_ = 0;
    std::string lobBuffer_;
};

} // namespace bm::db

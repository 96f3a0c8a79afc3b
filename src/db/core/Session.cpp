#include "db/core/Session.h"

#include <algorithm>

namespace bm::db {

namespace {
thread_local bool withoutLimit = false;
} // namespace

void setWaitForLocksWithoutLimit(bool value) {
    withoutLimit = value;
}

bool waitsForLocksWithoutLimit() {
    return withoutLimit;
}

std::unique_ptr<Recordset> fetchAll(Cursor &cursor, std::int32_t maxRecords) {
    auto recordset = std::make_unique<Recordset>(cursor.fields());
    if (cursor.fields().empty())
        return recordset;
    constexpr std::size_t kBatch = 4096;
    for (;;) {
        std::size_t batch = kBatch;
        if (maxRecords > 0) {
            const std::size_t left =
                static_cast<std::size_t>(maxRecords) - recordset->recordCount();
            if (left == 0)
                break;
            batch = std::min(batch, left);
        }
        if (!cursor.fetch(*recordset, batch))
            break;
    }
    return recordset;
}

std::unique_ptr<Recordset> Session::query(std::string_view sql, std::int32_t maxRecords) {
    const std::unique_ptr<Cursor> cursor = open(sql);
    return fetchAll(*cursor, maxRecords);
}

} // namespace bm::db

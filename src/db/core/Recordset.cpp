#include "db/core/Recordset.h"

#include "sql/AppError.h"

#include <algorithm>
#include <cstring>
#include <strings.h>

namespace bm::db {

namespace {
constexpr std::uint32_t kMaxChunkSize = 8u * 1024 * 1024;
constexpr std::uint32_t kMaxCellSize = 0x7fffffffu;

[[noreturn]] void itemNotFound() {
    throw AppError(kErrItemNotFound, "Recordset",
                   "Item cannot be found in the collection corresponding to the requested name "
                   "or ordinal.");
}
} // namespace

Recordset::Recordset(std::vector<Field> fields)
    : fields_(std::move(fields)), columns_(fields_.size()) {}

std::uint32_t *Recordset::endSlot(Column &column) {
    const std::size_t page = rows_ >> kPageShift;
    if (page == column.ends.size())
        column.ends.emplace_back(new std::uint32_t[kPageSize]);
    return &column.ends[page][rows_ & (kPageSize - 1)];
}

void Recordset::appendCell(int field, std::string_view text) {
    Column &column = columns_[field];
    if (text.size() > kMaxCellSize)
        throw AppError(kErrGeneral, "Recordset", "A value is too large to be fetched.");
    const auto size = static_cast<std::uint32_t>(text.size());
    if (column.chunks.empty() || column.chunks.back().capacity - column.chunks.back().used < size) {
        // A fresh chunk rather than a grown buffer: nothing is copied twice.
        const std::uint32_t capacity = std::max(column.nextChunkSize, size);
        column.nextChunkSize = std::min(kMaxChunkSize, column.nextChunkSize * 2);
        Chunk chunk;
        chunk.data.reset(new char[capacity]);
        chunk.capacity = capacity;
        chunk.firstRow = rows_;
        column.chunks.push_back(std::move(chunk));
    }
    Chunk &chunk = column.chunks.back();
    if (size)
        std::memcpy(chunk.data.get() + chunk.used, text.data(), size);
    chunk.used += size;
    *endSlot(column) = chunk.used;
}

void Recordset::appendNull(int field) {
    Column &column = columns_[field];
    const std::uint32_t end = column.chunks.empty() ? 0 : column.chunks.back().used;
    *endSlot(column) = end | kNullBit;
}

void Recordset::checkField(int field) const {
    if (field < 0 || field >= fieldCount())
        itemNotFound();
}

const std::string &Recordset::fieldName(int field) const {
    checkField(field);
    return fields_[field].name;
}

FieldType Recordset::fieldType(int field) const {
    checkField(field);
    return fields_[field].type;
}

int Recordset::fieldIndex(std::string_view name) const {
    for (int i = 0; i < fieldCount(); ++i) {
        const std::string &candidate = fields_[i].name;
        if (candidate.size() == name.size() &&
            strncasecmp(candidate.data(), name.data(), name.size()) == 0)
            return i;
    }
    return -1;
}

void Recordset::moveNext() {
    if (eof())
        throw AppError(kErrGeneral, "Recordset",
                       "Either BOF or EOF is True, or the current record has been deleted.");
    ++position_;
}

std::optional<std::string_view> Recordset::value(int field) const {
    checkField(field);
    if (eof())
        throw AppError(kErrGeneral, "Recordset",
                       "Either BOF or EOF is True, or the current record has been deleted.");
    return cell(position_, field);
}

std::optional<std::string_view> Recordset::value(std::string_view name) const {
    const int field = fieldIndex(name);
    if (field < 0)
        itemNotFound();
    return value(field);
}

std::optional<std::string_view> Recordset::cell(std::size_t row, int field) const {
    const Column &column = columns_[field];
    const std::uint32_t word = column.ends[row >> kPageShift][row & (kPageSize - 1)];
    if (word & kNullBit)
        return std::nullopt;
    // The chunk holding the row: the last one that starts at or before it.
    auto it = std::upper_bound(column.chunks.begin(), column.chunks.end(), row,
                               [](std::size_t r, const Chunk &c) { return r < c.firstRow; });
    const Chunk &chunk = *(it - 1);
    std::uint32_t start = 0;
    if (row > chunk.firstRow)
        start = column.ends[(row - 1) >> kPageShift][(row - 1) & (kPageSize - 1)] & ~kNullBit;
    return std::string_view(chunk.data.get() + start, word - start);
}

Recordset::ColumnCursor::ColumnCursor(const Recordset &recordset, int field)
    : recordset_(&recordset), column_(&recordset.columns_.at(field)) {}

std::optional<std::string_view> Recordset::ColumnCursor::next() {
    const auto &column = *static_cast<const Column *>(column_);
    const std::size_t row = row_++;
    if (chunk_ + 1 < column.chunks.size() && column.chunks[chunk_ + 1].firstRow == row) {
        ++chunk_;
        previousEnd_ = 0;
    }
    const std::uint32_t word = column.ends[row >> kPageShift][row & (kPageSize - 1)];
    if (word & kNullBit)
        return std::nullopt;
    const std::uint32_t start = previousEnd_;
    previousEnd_ = word;
    return std::string_view(column.chunks[chunk_].data.get() + start, word - start);
}

std::optional<std::pair<std::size_t, std::size_t>> Recordset::longestCell(int field) const {
    checkField(field);
    ColumnCursor cursor(*this, field);
    std::optional<std::pair<std::size_t, std::size_t>> best;
    std::size_t bestChars = 0;
    for (std::size_t row = 0; row < rows_; ++row) {
        const auto value = cursor.next();
        // A cell has no more characters than bytes: only a longer one needs counting.
        if (!value || value->size() <= bestChars)
            continue;
        std::size_t chars = 0;
        for (char c : *value)
            chars += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
        if (chars > bestChars) {
            bestChars = chars;
            best = std::make_pair(row, chars);
        }
    }
    return best;
}

std::size_t Recordset::memoryBytes() const {
    std::size_t bytes = 0;
    for (const Column &column : columns_) {
        bytes += column.ends.size() * kPageSize * sizeof(std::uint32_t);
        for (const Chunk &chunk : column.chunks)
            bytes += chunk.capacity;
    }
    return bytes;
}

} // namespace bm::db

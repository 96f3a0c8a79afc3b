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

template <class T> void Recordset::GrowingArray<T>::push_back(const T &value) {
    const std::size_t n = size_.load(std::memory_order_relaxed);
    if (n == capacity_) {
        const std::size_t capacity = capacity_ ? capacity_ * 2 : 16;
        auto block = std::make_unique<T[]>(capacity);
        if (n)
            std::copy(data(), data() + n, block.get());
        slots_.store(block.get(), std::memory_order_release);
        blocks_.push_back(std::move(block));
        capacity_ = capacity;
    }
    slots_.load(std::memory_order_relaxed)[n] = value;
    size_.store(n + 1, std::memory_order_release);
}

std::uint32_t *Recordset::endSlot(Column &column) {
    const std::size_t row = rows_.load(std::memory_order_relaxed);
    const std::size_t page = row >> kPageShift;
    if (page == column.ownedPages.size()) {
        column.ownedPages.emplace_back(new std::uint32_t[kPageSize]);
        column.ends.push_back(column.ownedPages.back().get());
    }
    return &column.ownedPages[page][row & (kPageSize - 1)];
}

void Recordset::appendCell(int field, std::string_view text) {
    Column &column = columns_[field];
    if (text.size() > kMaxCellSize)
        throw AppError(kErrGeneral, "Recordset", "A value is too large to be fetched.");
    const auto size = static_cast<std::uint32_t>(text.size());
    if (column.ownedChunks.empty() || column.capacity - column.used < size) {
        // A fresh chunk rather than a grown buffer: nothing is copied twice, and nothing a
        // reader holds moves.
        const std::uint32_t capacity = std::max(column.nextChunkSize, size);
        column.nextChunkSize = std::min(kMaxChunkSize, column.nextChunkSize * 2);
        column.ownedChunks.emplace_back(new char[capacity]);
        column.chunks.push_back(
            {column.ownedChunks.back().get(), rows_.load(std::memory_order_relaxed)});
        column.chunkBytes += capacity;
        column.capacity = capacity;
        column.used = 0;
    }
    if (size)
        std::memcpy(column.ownedChunks.back().get() + column.used, text.data(), size);
    column.used += size;
    *endSlot(column) = column.used;
}

void Recordset::appendNull(int field) {
    Column &column = columns_[field];
    *endSlot(column) = column.used | kNullBit;
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
    const std::size_t chunkCount = column.chunks.size();
    const ChunkInfo *chunks = column.chunks.data();
    const ChunkInfo *it =
        std::upper_bound(chunks, chunks + chunkCount, row,
                         [](std::size_t r, const ChunkInfo &c) { return r < c.firstRow; });
    const ChunkInfo &chunk = *(it - 1);
    std::uint32_t start = 0;
    if (row > chunk.firstRow)
        start = column.ends[(row - 1) >> kPageShift][(row - 1) & (kPageSize - 1)] & ~kNullBit;
    return std::string_view(chunk.data + start, word - start);
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
    return std::string_view(column.chunks[chunk_].data + start, word - start);
}

std::optional<std::pair<std::size_t, std::size_t>> Recordset::longestCell(int field) const {
    checkField(field);
    ColumnCursor cursor(*this, field);
    std::optional<std::pair<std::size_t, std::size_t>> best;
    std::size_t bestChars = 0;
    const std::size_t rows = recordCount();
    for (std::size_t row = 0; row < rows; ++row) {
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
    for (const Column &column : columns_)
        bytes += column.ownedPages.size() * kPageSize * sizeof(std::uint32_t) + column.chunkBytes;
    return bytes;
}

} // namespace bm::db

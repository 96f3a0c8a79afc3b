#pragma once

// A client-side, forward-only, read-only result. Cells are held column by column: each column
// keeps its text in large chunks and one 32-bit word per cell (the end of the cell's text in its
// chunk, with the top bit marking null), so millions of cells cost their text plus four bytes
// each and the grid can read them in place.
//
// A recordset may be read while a fetch still appends to it, from another thread: one writer
// appends, any reader sees the rows up to the published count (recordCount()), and nothing a
// reader may be looking at is ever moved or freed while the recordset lives.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace bm::db {

enum class FieldType { Numeric, Text, Date, Binary, Unknown };

struct Field {
    std::string name;
    FieldType type = FieldType::Unknown;
};

class Recordset {
public:
    explicit Recordset(std::vector<Field> fields);
    Recordset(const Recordset &) = delete;
    Recordset &operator=(const Recordset &) = delete;

    // Filling, used by the engines: one call per cell in field order, then endRow().
    void appendCell(int field, std::string_view text);
    void appendNull(int field);
    // Publishes the row to readers.
    void endRow() {
        rows_.store(rows_.load(std::memory_order_relaxed) + 1, std::memory_order_release);
    }
    // The engines may settle a field's type once they have seen its first value.
    void setFieldType(int field, FieldType type) { fields_.at(field).type = type; }

    int fieldCount() const { return static_cast<int>(fields_.size()); }
    const std::string &fieldName(int field) const;
    FieldType fieldType(int field) const;
    // Position of the named field, ignoring case; -1 when there is none.
    int fieldIndex(std::string_view name) const;

    // The rows published so far (all of them once the fetch has ended).
    std::size_t recordCount() const { return rows_.load(std::memory_order_acquire); }

    // The cursor: positioned on the first row when opened.
    bool eof() const { return position_ >= recordCount(); }
    void moveNext();
    std::size_t position() const { return position_; }
    // The current row's value; nullopt for null. Unknown fields raise kErrItemNotFound.
    std::optional<std::string_view> value(int field) const;
    std::optional<std::string_view> value(std::string_view name) const;

    // Any row, for views over the whole result.
    std::optional<std::string_view> cell(std::size_t row, int field) const;

    // The first row whose value in the field has the most characters (UTF-8 aware), with that
    // count; nullopt when the field has no non-empty value. One pass over the cell words.
    std::optional<std::pair<std::size_t, std::size_t>> longestCell(int field) const;

    // Reads one field's values row after row, without a search per cell: the fast way through
    // a whole result.
    class ColumnCursor {
    public:
        ColumnCursor(const Recordset &recordset, int field);
        // The next row's value (nullopt for null); call at most recordCount() times.
        std::optional<std::string_view> next();

    private:
        const Recordset *recordset_;
        const void *column_;
        std::size_t row_ = 0;
        std::size_t chunk_ = 0;
        std::uint32_t previousEnd_ = 0;
    };

    // Bytes held for the cells: text chunks and the per-cell words. For the writer's thread.
    std::size_t memoryBytes() const;

private:
    static constexpr unsigned kPageShift = 14;
    static constexpr std::size_t kPageSize = std::size_t{1} << kPageShift;
    static constexpr std::uint32_t kNullBit = 0x80000000u;

    // Slots that grow without moving what a reader holds: a larger block is published and the
    // old one kept. One writer; entries never change once pushed.
    template <class T> class GrowingArray {
    public:
        std::size_t size() const { return size_.load(std::memory_order_acquire); }
        // A snapshot of the published entries: take the size first, then the block.
        const T *data() const { return slots_.load(std::memory_order_acquire); }
        const T &operator[](std::size_t i) const { return data()[i]; }
        void push_back(const T &value);

    private:
        std::atomic<T *> slots_{nullptr};
        std::atomic<std::size_t> size_{0};
        std::size_t capacity_ = 0;
        std::vector<std::unique_ptr<T[]>> blocks_;
    };
    struct ChunkInfo {
        const char *data;
        std::size_t firstRow;
    };
    struct Column {
        GrowingArray<std::uint32_t *> ends;
        GrowingArray<ChunkInfo> chunks;
        // The writer's own: what it owns, and room left in the last chunk.
        std::vector<std::unique_ptr<std::uint32_t[]>> ownedPages;
        std::vector<std::unique_ptr<char[]>> ownedChunks;
        std::size_t chunkBytes = 0;
        std::uint32_t capacity = 0;
        std::uint32_t used = 0;
        std::uint32_t nextChunkSize = 16 * 1024;
    };

    std::uint32_t *endSlot(Column &column);
    void checkField(int field) const;

    std::vector<Field> fields_;
    std::vector<Column> columns_;
    std::atomic<std::size_t> rows_{0};
    std::size_t position_ = 0;
};

} // namespace bm::db

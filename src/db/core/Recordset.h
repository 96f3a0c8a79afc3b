#pragma once

// A client-side, forward-only, read-only result, fetched whole when it opens. Cells are held
// column by column: each column keeps its text in large chunks and one 32-bit word per cell (the
// end of the cell's text in its chunk, with the top bit marking null), so millions of cells cost
// their text plus four bytes each and the grid can read them in place.

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
    void endRow() { ++rows_; }
    // The engines may settle a field's type once they have seen its first value.
    void setFieldType(int field, FieldType type) { fields_.at(field).type = type; }

    int fieldCount() const { return static_cast<int>(fields_.size()); }
    const std::string &fieldName(int field) const;
    FieldType fieldType(int field) const;
    // Position of the named field, ignoring case; -1 when there is none.
    int fieldIndex(std::string_view name) const;

    std::size_t recordCount() const { return rows_; }

    // The cursor: positioned on the first row when opened.
    bool eof() const { return position_ >= rows_; }
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

    // Bytes held for the cells: text chunks and the per-cell words.
    std::size_t memoryBytes() const;

private:
    static constexpr unsigned kPageShift = 14;
    static constexpr std::size_t kPageSize = std::size_t{1} << kPageShift;
    static constexpr std::uint32_t kNullBit = 0x80000000u;

    struct Chunk {
        std::unique_ptr<char[]> data;
        std::uint32_t capacity = 0;
        std::uint32_t used = 0;
        std::size_t firstRow = 0;
    };
    struct Column {
        std::vector<std::unique_ptr<std::uint32_t[]>> ends;
        std::vector<Chunk> chunks;
        std::uint32_t nextChunkSize = 16 * 1024;
    };

    std::uint32_t *endSlot(Column &column);
    void checkField(int field) const;

    std::vector<Field> fields_;
    std::vector<Column> columns_;
    std::size_t rows_ = 0;
    std::size_t position_ = 0;
};

} // namespace bm::db

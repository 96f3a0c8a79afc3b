#pragma once

// The statements a session translated lately, so that a statement run again (a query window's
// Execute pressed twice, the browser's dictionary queries) is rewritten only once. A translation
// that read a table's columns is good for that version of the schema only.

#include <list>
#include <string>
#include <string_view>
#include <unordered_map>

namespace bm::db {

class TranslationCache {
public:
    static constexpr long long kAnySchema = -1;
    struct Translation {
        std::string text;
        long long schemaVersion = kAnySchema; // the version it was made for, if it matters
    };

    explicit TranslationCache(std::size_t capacity = 256) : capacity_(capacity) {}

    // The translation kept for sql, or null.
    const Translation *find(std::string_view sql);
    const std::string &store(std::string_view sql, Translation translation);

private:
    struct Entry {
        std::string sql;
        Translation translated;
    };
    std::size_t capacity_;
    std::list<Entry> entries_; // most recently used first
    std::unordered_map<std::string_view, std::list<Entry>::iterator> index_;
};

} // namespace bm::db

#include "db/embedded/TranslationCache.h"

namespace bm::db {

const TranslationCache::Translation *TranslationCache::find(std::string_view sql) {
    const auto it = index_.find(sql);
    if (it == index_.end())
        return nullptr;
    entries_.splice(entries_.begin(), entries_, it->second);
    return &it->second->translated;
}

const std::string &TranslationCache::store(std::string_view sql, Translation translation) {
    if (const auto it = index_.find(sql); it != index_.end()) {
        it->second->translated = std::move(translation);
        entries_.splice(entries_.begin(), entries_, it->second);
        return entries_.front().translated.text;
    }
    if (entries_.size() >= capacity_) {
        index_.erase(entries_.back().sql);
        entries_.pop_back();
    }
    entries_.push_front({std::string(sql), std::move(translation)});
    index_.emplace(entries_.front().sql, entries_.begin());
    return entries_.front().translated.text;
}

} // namespace bm::db

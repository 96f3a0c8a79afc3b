#pragma once

// An ordered list of items that can also be found by a key, as the program's collections are
// used: Item by 1-based position or by key, Remove by either, Count, and iteration in order.
// A key given twice, a position out of range and an unknown key raise the program's error.

#include "sql/AppError.h"

#include <QList>
#include <QMap>
#include <QString>
#include <memory>

template <class T> class KeyedList {
public:
    explicit KeyedList(const char *source) : source_(source) {}

    // Appends the item, under the key when one is given.
    T &append(std::shared_ptr<T> item, const QString &key) {
        if (!key.isEmpty()) {
            if (keyed_.contains(key))
                throw bm::AppError(457, source_,
                                   "This key is already associated with an element of this "
                                   "collection");
            keyed_.insert(key, item);
        }
        items_.append(item);
        return *item;
    }
    T &Item(int position) {
        if (position < 1 || position > items_.size())
            throw bm::AppError(9, source_, "Subscript out of range");
        return *items_[position - 1];
    }
    T &Item(const QString &key) {
        const auto it = keyed_.find(key);
        if (it == keyed_.end())
            throw bm::AppError(5, source_, "Invalid procedure call or argument");
        return **it;
    }
    int Count() const { return static_cast<int>(items_.size()); }
    void Remove(int position) {
        const std::shared_ptr<T> item = items_.at(position - 1);
        items_.removeAt(position - 1);
        for (auto it = keyed_.begin(); it != keyed_.end(); ++it)
            if (it.value() == item) {
                keyed_.erase(it);
                break;
            }
    }
    void Remove(const QString &key) { items_.removeAll(keyed_.take(key)); }

    auto begin() const { return items_.begin(); }
    auto end() const { return items_.end(); }

private:
    const char *source_;
    QList<std::shared_ptr<T>> items_;
    QMap<QString, std::shared_ptr<T>> keyed_;
};

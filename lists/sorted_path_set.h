// The `sorted path set`: a list's ordered, duplicate-free array of paths.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "lists/path_order.h"

namespace lists {

// Paths in ascending PathOrder without two equal entries. Single operations use
// binary search; the batch operations give the same results as the matching
// sequence of single operations in one sort-and-merge pass.
class SortedPathSet {
public:
    explicit SortedPathSet(const PathOrder& order = PathOrder::System()) : order_(&order) {}

    // Result of InsertMany, as the equivalent sequence of Insert calls would give it.
    struct InsertManyResult {
        size_t inserted = 0;        // paths that were not refused as duplicates
        int smallestNewIndex = -1;  // smallest index any successful Insert returned (-1: none)
        int lastNewIndex = -1;      // index, after the batch, of the last path inserted (-1: none)
    };

    // Inserts `path` at the index of the first entry that sorts after it and returns
    // that index; -1 (and no change) when an equal entry exists.
    int Insert(std::string path);

    // Index of the entry equal to `path`, or -1.
    int Find(std::string_view path) const;

    // Removes the entry equal to `path` and returns its former index, or -1.
    int Remove(std::string_view path);

    // Inserts every path as Insert would, one by one in the given order: the first of
    // several equal paths wins, paths equal to an entry are refused. O(k log k + n).
    InsertManyResult InsertMany(std::vector<std::string> paths);

    // Removes every entry that equals an entry of `other` (which must use the same
    // order). Returns the number removed, and appends them to `removed` when given.
    // One pass over this set.
    size_t RemoveAllOf(const SortedPathSet& other, std::vector<std::string>* removed = nullptr);

    // Removes the entries for which `pred(path)` is true; `pred` is called once per
    // entry, from the first to the last. Returns the number removed.
    template <class Pred>
    size_t RemoveIf(Pred pred)
    {
        size_t kept = 0;
        for (size_t i = 0; i < paths_.size(); ++i) {
            if (pred(static_cast<const std::string&>(paths_[i])))
                continue;
            if (kept != i)
                paths_[kept] = std::move(paths_[i]);
            ++kept;
        }
        size_t removed = paths_.size() - kept;
        paths_.resize(kept);
        return removed;
    }

    void RemoveAt(size_t index) { paths_.erase(paths_.begin() + static_cast<std::ptrdiff_t>(index)); }
    void Clear() { paths_.clear(); }

    size_t Count() const { return paths_.size(); }
    bool Empty() const { return paths_.empty(); }
    const std::string& operator[](size_t index) const { return paths_[index]; }
    const std::vector<std::string>& Paths() const { return paths_; }
    std::vector<std::string>::const_iterator begin() const { return paths_.begin(); }
    std::vector<std::string>::const_iterator end() const { return paths_.end(); }
    const PathOrder& Order() const { return *order_; }

private:
    // Index of the first entry that does not sort before `path`.
    size_t LowerBound(std::string_view path) const;

    const PathOrder* order_;
    std::vector<std::string> paths_;
};

}  // namespace lists

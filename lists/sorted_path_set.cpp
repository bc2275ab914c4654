#include "lists/sorted_path_set.h"

#include <algorithm>
#include <cstdint>
#include <numeric>

namespace lists {

namespace {

// Index of the first entry of `paths` at or after `from` that does not sort before
// `path`, searching with growing steps from `from` and then by halves: cheap when the
// answer lies close to `from`, as it does when two sorted sequences are walked together.
size_t GallopLowerBound(const std::vector<std::string>& paths, size_t from, std::string_view path,
                        const PathOrder& order)
{
    const size_t n = paths.size();
    size_t low = from;
    size_t high = from;
    size_t step = 1;
    while (high < n && order.Compare(paths[high], path) < 0) {
        low = high + 1;
        high = from + step;
        step *= 2;
    }
    high = std::min(high, n);
    while (low < high) {
        size_t mid = low + (high - low) / 2;
        if (order.Compare(paths[mid], path) < 0)
            low = mid + 1;
        else
            high = mid;
    }
    return low;
}

}  // namespace

size_t SortedPathSet::LowerBound(std::string_view path) const
{
    size_t low = 0;
    size_t high = paths_.size();
    while (low < high) {
        size_t mid = low + (high - low) / 2;
        if (order_->Compare(paths_[mid], path) < 0)
            low = mid + 1;
        else
            high = mid;
    }
    return low;
}

int SortedPathSet::Insert(std::string path)
{
    size_t at = LowerBound(path);
    if (at < paths_.size() && order_->Equal(paths_[at], path))
        return -1;
    paths_.insert(paths_.begin() + static_cast<std::ptrdiff_t>(at), std::move(path));
    return static_cast<int>(at);
}

int SortedPathSet::Find(std::string_view path) const
{
    size_t at = LowerBound(path);
    if (at < paths_.size() && order_->Equal(paths_[at], path))
        return static_cast<int>(at);
    return -1;
}

int SortedPathSet::Remove(std::string_view path)
{
    int at = Find(path);
    if (at >= 0)
        RemoveAt(static_cast<size_t>(at));
    return at;
}

SortedPathSet::InsertManyResult SortedPathSet::InsertMany(std::vector<std::string> paths)
{
    InsertManyResult result;
    if (paths.empty())
        return result;
    if (paths.size() == 1) {
        int at = Insert(std::move(paths.front()));
        if (at >= 0)
            result = {1, at, at};
        return result;
    }

    // Strictly ascending paths into an empty set (a saved list read back) need no sort.
    if (paths_.empty()) {
        size_t k = 1;
        while (k < paths.size() && order_->Compare(paths[k - 1], paths[k]) < 0)
            ++k;
        if (k == paths.size()) {
            result = {paths.size(), 0, static_cast<int>(paths.size() - 1)};
            paths_ = std::move(paths);
            return result;
        }
    }

    // Sort positions by path; stability keeps the first of equal paths first.
    std::vector<uint32_t> order(paths.size());
    std::iota(order.begin(), order.end(), 0u);
    std::stable_sort(order.begin(), order.end(),
                     [&](uint32_t a, uint32_t b) { return order_->Compare(paths[a], paths[b]) < 0; });

    // Keep the first of each run of equal paths and drop those already present; note
    // where each new path goes among the present ones.
    std::vector<uint32_t> fresh;
    std::vector<size_t> slot;
    fresh.reserve(order.size());
    slot.reserve(order.size());
    size_t walk = 0;
    for (size_t k = 0; k < order.size(); ++k) {
        const std::string& path = paths[order[k]];
        if (!fresh.empty() && order_->Equal(paths[fresh.back()], path))
            continue;
        walk = GallopLowerBound(paths_, walk, path, *order_);
        if (walk < paths_.size() && order_->Equal(paths_[walk], path))
            continue;
        fresh.push_back(order[k]);
        slot.push_back(walk);
    }
    if (fresh.empty())
        return result;

    const uint32_t last = *std::max_element(fresh.begin(), fresh.end());
    std::vector<std::string> merged;
    merged.reserve(paths_.size() + fresh.size());
    size_t i = 0;
    for (size_t j = 0; j < fresh.size(); ++j) {
        while (i < slot[j])
            merged.push_back(std::move(paths_[i++]));
        if (j == 0)
            result.smallestNewIndex = static_cast<int>(merged.size());
        if (fresh[j] == last)
            result.lastNewIndex = static_cast<int>(merged.size());
        merged.push_back(std::move(paths[fresh[j]]));
    }
    while (i < paths_.size())
        merged.push_back(std::move(paths_[i++]));
    paths_ = std::move(merged);
    result.inserted = fresh.size();
    return result;
}

size_t SortedPathSet::RemoveAllOf(const SortedPathSet& other, std::vector<std::string>* removed)
{
    if (paths_.empty() || other.paths_.empty())
        return 0;
    size_t walk = 0;
    const std::vector<std::string>& theirs = other.paths_;
    return RemoveIf([&](const std::string& path) {
        walk = GallopLowerBound(theirs, walk, path, *order_);
        const bool gone = walk < theirs.size() && order_->Equal(theirs[walk], path);
        if (gone && removed)
            removed->push_back(path);
        return gone;
    });
}

}  // namespace lists

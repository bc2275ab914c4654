#include "lists/sorted_path_set.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <numeric>

namespace lists {

namespace {

// True when `probes` binary searches in a set of `size` entries cost less than one
// merge walk over both.
bool SearchIsCheaper(size_t probes, size_t size)
{
    const size_t depth = static_cast<size_t>(std::bit_width(size)) + 1;
    return probes * depth < probes + size;
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

    // Sort positions by path; stability keeps the first of equal paths first.
    std::vector<uint32_t> order(paths.size());
    std::iota(order.begin(), order.end(), 0u);
    std::stable_sort(order.begin(), order.end(),
                     [&](uint32_t a, uint32_t b) { return order_->Compare(paths[a], paths[b]) < 0; });

    // Keep the first of each run of equal paths and drop those already present.
    std::vector<uint32_t> fresh;
    fresh.reserve(order.size());
    const bool search = SearchIsCheaper(order.size(), paths_.size());
    size_t walk = 0;
    for (size_t k = 0; k < order.size(); ++k) {
        const std::string& path = paths[order[k]];
        if (!fresh.empty() && order_->Equal(paths[fresh.back()], path))
            continue;
        bool present;
        if (search) {
            present = Find(path) >= 0;
        } else {
            int c = 1;
            while (walk < paths_.size() && (c = order_->Compare(paths_[walk], path)) < 0)
                ++walk;
            present = walk < paths_.size() && c == 0;
        }
        if (!present)
            fresh.push_back(order[k]);
    }
    if (fresh.empty())
        return result;

    uint32_t last = *std::max_element(fresh.begin(), fresh.end());
    std::vector<std::string> merged;
    merged.reserve(paths_.size() + fresh.size());
    size_t i = 0;
    size_t j = 0;
    while (j < fresh.size()) {
        std::string& candidate = paths[fresh[j]];
        if (i < paths_.size() && order_->Compare(paths_[i], candidate) < 0) {
            merged.push_back(std::move(paths_[i++]));
            continue;
        }
        if (j == 0)
            result.smallestNewIndex = static_cast<int>(merged.size());
        if (fresh[j] == last)
            result.lastNewIndex = static_cast<int>(merged.size());
        merged.push_back(std::move(candidate));
        ++j;
    }
    while (i < paths_.size())
        merged.push_back(std::move(paths_[i++]));
    paths_ = std::move(merged);
    result.inserted = fresh.size();
    return result;
}

size_t SortedPathSet::RemoveAllOf(const SortedPathSet& other)
{
    if (paths_.empty() || other.paths_.empty())
        return 0;
    if (SearchIsCheaper(paths_.size(), other.paths_.size()))
        return RemoveIf([&](const std::string& path) { return other.Find(path) >= 0; });
    size_t walk = 0;
    const std::vector<std::string>& theirs = other.paths_;
    return RemoveIf([&](const std::string& path) {
        int c = 1;
        while (walk < theirs.size() && (c = order_->Compare(theirs[walk], path)) < 0)
            ++walk;
        return walk < theirs.size() && c == 0;
    });
}

}  // namespace lists

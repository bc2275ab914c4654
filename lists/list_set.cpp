#include "lists/list_set.h"

namespace lists {

ListSet::ListSet(fw::FileSystem& fs, const ListOptions& options, const PathOrder& order)
{
    for (int n = 0; n < kListCount; ++n) {
        lists_[static_cast<size_t>(n)] = std::make_unique<ListModel>(n, fs, options, order);
        lists_[static_cast<size_t>(n)]->SetHost(this);
    }
}

int ListSet::TotalCount() const
{
    int total = 0;
    for (const auto& list : lists_)
        total += list->GetCount();
    return total;
}

void ListSet::SetChangeLog(ListChangeLog* log)
{
    for (const auto& list : lists_)
        list->SetChangeLog(log);
}

void ListSet::RemoveFromOtherLists(int listNumber, const SortedPathSet& paths)
{
    if (paths.Empty())
        return;
    for (const auto& list : lists_) {
        if (list->ListNumber() == listNumber || &list->Paths() == &paths)
            continue;
        if (list->RemovePaths(paths) == 0)
            continue;
        list->RefreshView();
        list->StartRecheckTimer(kRecheckDelayMs);
    }
}

}  // namespace lists

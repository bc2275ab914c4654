// The 36 lists of the main frame (`CClsMainFrame`'s side of the list model): the
// lists themselves, the current list, the shared last folder and the rule that a
// file sits in at most one list.
#pragma once

#include <array>
#include <memory>
#include <string>

#include "lists/list_model.h"

namespace lists {

class ListSet final : public ListHost {
public:
    ListSet(fw::FileSystem& fs, const ListOptions& options = ListOptions(),
            const PathOrder& order = PathOrder::System());

    ListModel& List(int listNumber) { return *lists_.at(static_cast<size_t>(listNumber)); }
    const ListModel& List(int listNumber) const { return *lists_.at(static_cast<size_t>(listNumber)); }

    // Entries in all lists.
    int TotalCount() const;

    int CurrentList() const { return current_; }
    void SetCurrentList(int listNumber) { current_ = listNumber; }
    std::string& SharedLastFolder() { return sharedLastFolder_; }
    // Every list reports its changes to `log` (null: nowhere).
    void SetChangeLog(ListChangeLog* log);

    // RemovePath of every path of `paths` on each list but `listNumber` (one pass per
    // list); every list that lost a path gets RefreshView and a recheck in 3 seconds.
    void RemoveFromOtherLists(int listNumber, const SortedPathSet& paths) override;

private:
    std::array<std::unique_ptr<ListModel>, kListCount> lists_;
    int current_ = 0;
    std::string sharedLastFolder_;
};

}  // namespace lists

// The model of one list window (`CClsLstWnd`): its paths, current position and
// settings, with every list operation. The window is a thin shell over this class:
// it implements ListView for what is shown and forwards its timer to OnRecheckTimer.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "framework/core/filesystem.h"
#include "lists/filter_match.h"
#include "lists/load_condition.h"
#include "lists/sorted_path_set.h"

namespace lists {

constexpr int kListCount = 36;
constexpr unsigned kRecheckDelayMs = 3000;

// The list key of a list number: '0'-'9' for 0-9, 'A'-'Z' for 10-35; '\0' outside.
char ListKey(int listNumber);
// The list number of a list key ('0'-'9', 'A'-'Z'); -1 for any other character.
int ListNumberFromKey(char key);

// The window caption "%c: %3d/%3d %s": list key, position number (index + 1, 0 for an
// empty list), count and path (empty when there is no entry at the index).
std::string FormatCaption(char key, int positionNumber, int count, std::string_view path);

// What a list window does on the screen. The model calls these in the order the
// window must apply them.
class ListView {
public:
    virtual ~ListView() = default;
    // The vertical scroll bar, which holds the current position: range 0..maximum.
    virtual void SetScrollRange(int maximum, bool redraw) = 0;
    virtual void SetScrollPosition(int position, bool redraw) = 0;
    // True when this window is the main frame's active child (only it preloads).
    virtual bool IsActive() const = 0;
    // The control's `loadFile`: start loading a file without showing it.
    virtual void PreloadFile(const std::string& path) = 0;
    // The control's `displayFile`: show a file, nothing for the empty string.
    virtual void DisplayFile(const std::string& path) = 0;
    virtual void SetCaption(const std::string& caption) = 0;
    // The one-shot recheck timer (timer id 10); starting it again restarts the period.
    virtual void StartRecheckTimer(unsigned milliseconds) = 0;
    virtual void StopRecheckTimer() = 0;
};

// The main frame's services a list calls back into.
class ListHost {
public:
    virtual ~ListHost() = default;
    // Removes every path of `paths` from every list but `listNumber`.
    virtual void RemoveFromOtherLists(int listNumber, const SortedPathSet& paths) = 0;
};

// Where a list reports every change of its entries, so that they can be replayed in
// order: insertions with the paths offered (a replay refuses the same duplicates),
// removals with the paths that went.
class ListChangeLog {
public:
    virtual ~ListChangeLog() = default;
    virtual void Inserted(int listNumber, std::string_view path) = 0;
    virtual void Inserted(int listNumber, const std::vector<std::string>& paths) = 0;
    virtual void Removed(int listNumber, std::string_view path) = 0;
    virtual void Removed(int listNumber, const std::vector<std::string>& paths) = 0;
    virtual void Cleared(int listNumber) = 0;
};

// Start values of a list's settings (from the profile: LOADFOLDER/SUBDIR and
// LOADFOLDER/USECURRENT).
struct ListOptions {
    bool subfolders = false;
    std::string lastFolder;
};

// Codes of a scroll bar action (the Win32 SB_ values).
enum class ScrollCode : int {
    LineUp = 0,
    LineDown = 1,
    PageUp = 2,
    PageDown = 3,
    ThumbPosition = 4,
    ThumbTrack = 5,
    Top = 6,
    Bottom = 7,
    EndScroll = 8,
};

// One list window's state and operations. The position plays the scroll bar: it is
// always clamped into 0..count-1 (0 for an empty list, whose range is shown as 0..0).
// Every change of what is shown goes through the ListView in the order a window
// applies it; without a view the model works the same and shows nothing.
class ListModel {
public:
    ListModel(int listNumber, fw::FileSystem& fs, const ListOptions& options = ListOptions(),
              const PathOrder& order = PathOrder::System());
    ListModel(const ListModel&) = delete;
    ListModel& operator=(const ListModel&) = delete;

    // The window showing this list (null: nothing is shown) and the owning frame.
    void SetView(ListView* view) { view_ = view ? view : &NullView(); }
    void SetHost(ListHost* host) { host_ = host; }
    // Where changes of the entries are reported (null: nowhere).
    void SetChangeLog(ListChangeLog* log) { log_ = log; }

    int ListNumber() const { return number_; }
    char Key() const { return ListKey(number_); }
    const SortedPathSet& Paths() const { return paths_; }
    // Current position: always within 0..count-1 (0 for an empty list).
    int Position() const { return position_; }

    // The list filter (the control's `FilterExtention`).
    void SetFilter(std::string_view patterns)
    {
        filter_ = FilterPattern(patterns, paths_.Order().CodePage());
    }
    const FilterPattern& Filter() const { return filter_; }
    bool FilterAccepts(std::string_view path) const { return filter_.Matches(path); }

    std::string& LastFolder() { return lastFolder_; }
    LoadCondition& Condition() { return condition_; }

    int GetCount() const { return static_cast<int>(paths_.Count()); }
    // Copies the entry at the current position; false when there is none.
    bool GetCurrentPath(std::string& path) const;

    // Inserts a path and makes it current (range redrawn, caption updated, image not
    // shown). False for a duplicate, which changes nothing.
    bool InsertAndSelect(std::string path);
    // InsertAndSelect for each path in order, with one range and caption update at the
    // end: the list, the position and the shown state end as the sequence would leave them.
    SortedPathSet::InsertManyResult InsertAndSelectMany(std::vector<std::string> paths);

    // The loaders' plain insert: no position or view change (see CompleteLoad).
    int Insert(std::string path);
    SortedPathSet::InsertManyResult InsertMany(std::vector<std::string> paths);
    // Replaces every entry by `paths` (in this list's order) without reporting it, and
    // shows the entry at `position` (clamped).
    void Restore(SortedPathSet paths, int position);
    // The end of a load: RemoveFromOtherLists, range redrawn, UpdateView at the smallest
    // new index (0 when nothing new).
    void CompleteLoad(int smallestNewIndex);

    // Removes the current entry; the position stays, lowered to the new last index.
    // The image is not redisplayed. False when there is no current entry.
    bool RemoveCurrent();
    // Removes a path; the position keeps its index unless it is past the end. Returns
    // the removed index or -1. Nothing is displayed.
    int RemovePath(std::string_view path);
    // RemovePath for every entry of `paths`, in one pass. Returns the number removed.
    size_t RemovePaths(const SortedPathSet& paths);
    // Drops the entries whose files no longer exist (a folder counts as existing), each
    // tested once from first to last. With `refresh`, RefreshView when anything went.
    bool RemoveMissing(bool refresh);
    // Removes every entry for which ConditionMatch holds, then UpdateView(0).
    int RemoveMatching(const LoadCondition& condition);
    // Empties the list (range 0..0 redrawn, empty view). True if it had entries.
    bool ClearList();

    // Moves the position by delta, clamped to the list; shows the entry when `display`.
    // A nonzero delta also sets the direction in which ShowEntry preloads.
    void MoveBy(int delta, bool display);
    // Redraws the range and shows the current entry again with its caption.
    void RefreshView();
    // Caption (and, for index >= 0, the entry at index clamped to the list).
    void UpdateView(int index);
    // The caption for the entry at index, the current one when index is negative.
    std::string Caption(int index) const;
    // Shows the entry at index (nothing when invalid) and makes it current. An active
    // window first preloads the neighbour in the direction of the last step (the next
    // entry until a step went back).
    void ShowEntry(int index);
    // The window's own scroll bar: lines and pages move by one entry, the thumb sets the
    // position; only the end of a scroll action shows the image. The window copies its
    // title to the status bar itself on ThumbTrack.
    void Scroll(ScrollCode code, int thumbPosition);

    // RemoveMissing(true), then every path followed by CR LF. False at the first failed
    // or short write.
    bool WriteList(fw::OutputFile& file);
    // The frame's RemoveFromOtherLists for this list.
    void NotifyLoaded();
    // Starts (or restarts) the one-shot recheck.
    void StartRecheckTimer(unsigned milliseconds);
    // The recheck timer fired: RemoveMissing(true) and stop the timer.
    void OnRecheckTimer();

private:
    static ListView& NullView();
    int MaxIndex() const { return paths_.Empty() ? 0 : GetCount() - 1; }
    bool ValidIndex(int index) const { return index >= 0 && index < GetCount(); }
    // The scroll bar's clamping of a position into 0..count-1.
    void SetPosition(int position, bool redraw);
    // After entries were removed: range without redraw, position clamped.
    void AfterRemoval();
    // RemoveIf on the entries, reporting what went.
    template <class Pred>
    size_t RemoveEntriesIf(Pred pred);

    const int number_;
    fw::FileSystem& fs_;
    SortedPathSet paths_;
    int position_ = 0;
    bool backward_ = false;  // the last step went towards the first entry
    FilterPattern filter_;
    std::string lastFolder_;
    LoadCondition condition_;
    ListView* view_;
    ListHost* host_ = nullptr;
    ListChangeLog* log_ = nullptr;
};

}  // namespace lists

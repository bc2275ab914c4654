#include "lists/list_model.h"

#include <algorithm>
#include <cstdio>

namespace lists {

char ListKey(int listNumber)
{
    if (listNumber < 0 || listNumber >= kListCount)
        return '\0';
    return static_cast<char>(listNumber < 10 ? '0' + listNumber : listNumber + 55);
}

int ListNumberFromKey(char key)
{
    if (key >= '0' && key <= '9')
        return key - '0';
    if (key >= 'A' && key <= 'Z')
        return key - 55;
    return -1;
}

std::string FormatCaption(char key, int positionNumber, int count, std::string_view path)
{
    char head[48];
    std::snprintf(head, sizeof head, "%c: %3d/%3d ", key, positionNumber, count);
    std::string caption(head);
    caption.append(path);
    return caption;
}

namespace {

class NoView final : public ListView {
public:
    void SetScrollRange(int, bool) override {}
    void SetScrollPosition(int, bool) override {}
    bool IsActive() const override { return false; }
    void PreloadFile(const std::string&) override {}
    void DisplayFile(const std::string&) override {}
    void SetCaption(const std::string&) override {}
    void StartRecheckTimer(unsigned) override {}
    void StopRecheckTimer() override {}
};

}  // namespace

ListView& ListModel::NullView()
{
    static NoView view;
    return view;
}

ListModel::ListModel(int listNumber, fw::FileSystem& fs, const ListOptions& options, const PathOrder& order)
    : number_(listNumber),
      fs_(fs),
      paths_(order),
      filter_(std::string_view(), order.CodePage()),
      lastFolder_(options.lastFolder),
      view_(&NullView())
{
    condition_.subfolders = options.subfolders;
}

void ListModel::SetPosition(int position, bool redraw)
{
    position_ = std::clamp(position, 0, MaxIndex());
    view_->SetScrollPosition(position_, redraw);
}

void ListModel::AfterRemoval()
{
    view_->SetScrollRange(MaxIndex(), false);
    position_ = std::min(position_, MaxIndex());
}

bool ListModel::GetCurrentPath(std::string& path) const
{
    if (!ValidIndex(position_))
        return false;
    path = paths_[static_cast<size_t>(position_)];
    return true;
}

int ListModel::Insert(std::string path)
{
    int at = paths_.Insert(std::move(path));
    if (at >= 0 && log_)
        log_->Inserted(number_, paths_[static_cast<size_t>(at)]);
    return at;
}

SortedPathSet::InsertManyResult ListModel::InsertMany(std::vector<std::string> paths)
{
    if (log_)
        log_->Inserted(number_, paths);
    return paths_.InsertMany(std::move(paths));
}

bool ListModel::InsertAndSelect(std::string path)
{
    int at = Insert(std::move(path));
    if (at < 0)
        return false;
    view_->SetScrollRange(MaxIndex(), true);
    SetPosition(at, true);
    UpdateView(-1);
    return true;
}

SortedPathSet::InsertManyResult ListModel::InsertAndSelectMany(std::vector<std::string> paths)
{
    SortedPathSet::InsertManyResult result = InsertMany(std::move(paths));
    if (result.inserted == 0)
        return result;
    view_->SetScrollRange(MaxIndex(), true);
    SetPosition(result.lastNewIndex, true);
    UpdateView(-1);
    return result;
}

void ListModel::Restore(SortedPathSet paths, int position)
{
    paths_ = std::move(paths);
    view_->SetScrollRange(MaxIndex(), true);
    position_ = std::clamp(position, 0, MaxIndex());
    UpdateView(position_);
}

template <class Pred>
size_t ListModel::RemoveEntriesIf(Pred pred)
{
    if (!log_)
        return paths_.RemoveIf(pred);
    std::vector<std::string> gone;
    size_t removed = paths_.RemoveIf([&](const std::string& path) {
        if (!pred(path))
            return false;
        gone.push_back(path);
        return true;
    });
    if (removed)
        log_->Removed(number_, gone);
    return removed;
}

void ListModel::CompleteLoad(int smallestNewIndex)
{
    NotifyLoaded();
    view_->SetScrollRange(MaxIndex(), true);
    UpdateView(smallestNewIndex < 0 ? 0 : smallestNewIndex);
}

bool ListModel::RemoveCurrent()
{
    if (!ValidIndex(position_))
        return false;
    if (log_)
        log_->Removed(number_, paths_[static_cast<size_t>(position_)]);
    paths_.RemoveAt(static_cast<size_t>(position_));
    AfterRemoval();
    UpdateView(-1);
    return true;
}

int ListModel::RemovePath(std::string_view path)
{
    int at = paths_.Find(path);
    if (at < 0)
        return at;
    if (log_)
        log_->Removed(number_, paths_[static_cast<size_t>(at)]);
    paths_.RemoveAt(static_cast<size_t>(at));
    AfterRemoval();
    return at;
}

size_t ListModel::RemovePaths(const SortedPathSet& paths)
{
    std::vector<std::string> gone;
    size_t removed = paths_.RemoveAllOf(paths, log_ ? &gone : nullptr);
    if (removed && log_)
        log_->Removed(number_, gone);
    if (removed)
        AfterRemoval();
    return removed;
}

bool ListModel::RemoveMissing(bool refresh)
{
    size_t removed =
        RemoveEntriesIf([&](const std::string& path) { return fs_.Attributes(path) == fw::kAttrInvalid; });
    if (!removed)
        return false;
    AfterRemoval();
    if (refresh)
        RefreshView();
    return true;
}

int ListModel::RemoveMatching(const LoadCondition& condition)
{
    const fw::CodePage& cp = paths_.Order().CodePage();
    size_t removed =
        RemoveEntriesIf([&](const std::string& path) { return ConditionMatch(condition, path, fs_, cp); });
    if (removed)
        AfterRemoval();
    UpdateView(0);
    return static_cast<int>(removed);
}

bool ListModel::ClearList()
{
    bool hadEntries = !paths_.Empty();
    if (hadEntries && log_)
        log_->Cleared(number_);
    paths_.Clear();
    view_->SetScrollRange(0, true);
    position_ = 0;
    UpdateView(0);
    return hadEntries;
}

void ListModel::MoveBy(int delta, bool display)
{
    if (delta != 0)
        backward_ = delta < 0;
    long long next = static_cast<long long>(position_) + delta;
    if (next < 0)
        next = 0;
    if (next > GetCount() - 1)
        next = GetCount() - 1;
    if (display)
        ShowEntry(static_cast<int>(next));
    else
        SetPosition(static_cast<int>(next), true);
    UpdateView(-1);
}

void ListModel::RefreshView()
{
    view_->SetScrollRange(MaxIndex(), true);
    position_ = std::min(position_, MaxIndex());
    UpdateView(position_);
}

void ListModel::UpdateView(int index)
{
    if (index >= 0) {
        view_->SetScrollRange(MaxIndex(), false);
        position_ = std::min(position_, MaxIndex());
        const int count = GetCount();
        if (count > 0 && index > count - 1)
            index = count - 1;
        ShowEntry(index);
    }
    view_->SetCaption(Caption(index));
}

std::string ListModel::Caption(int index) const
{
    if (index < 0)
        index = position_;
    const int count = GetCount();
    std::string_view path = ValidIndex(index) ? std::string_view(paths_[static_cast<size_t>(index)]) : "";
    return FormatCaption(Key(), count == 0 ? 0 : index + 1, count, path);
}

void ListModel::ShowEntry(int index)
{
    if (!ValidIndex(index)) {
        view_->DisplayFile(std::string());
    } else {
        // The neighbour in the direction of the last step is the likely next one.
        const int ahead = backward_ ? index - 1 : index + 1;
        if (ValidIndex(ahead) && view_->IsActive())
            view_->PreloadFile(paths_[static_cast<size_t>(ahead)]);
        view_->DisplayFile(paths_[static_cast<size_t>(index)]);
    }
    if (index >= 0)
        SetPosition(index, true);
}

void ListModel::Scroll(ScrollCode code, int thumbPosition)
{
    int next = position_;
    switch (code) {
        case ScrollCode::LineUp:
        case ScrollCode::PageUp:
            next = position_ - 1;
            backward_ = true;
            break;
        case ScrollCode::LineDown:
        case ScrollCode::PageDown:
            next = position_ + 1;
            backward_ = false;
            break;
        case ScrollCode::ThumbPosition:
        case ScrollCode::ThumbTrack:
            next = thumbPosition;
            break;
        case ScrollCode::Top:
            next = 0;
            break;
        case ScrollCode::Bottom:
            next = GetCount() - 1;
            break;
        default:
            break;
    }
    if (next > GetCount() - 1)
        next = GetCount() - 1;
    if (next < 0)
        next = 0;
    if (code == ScrollCode::EndScroll)
        ShowEntry(next);
    SetPosition(next, true);
    UpdateView(-1);
}

bool ListModel::WriteList(fw::OutputFile& file)
{
    RemoveMissing(true);
    std::string line;
    for (const std::string& path : paths_) {
        line.assign(path);
        line.append("\r\n");
        if (file.Write(line.data(), line.size()) != line.size())
            return false;
    }
    return true;
}

void ListModel::NotifyLoaded()
{
    if (host_)
        host_->RemoveFromOtherLists(number_, paths_);
}

void ListModel::StartRecheckTimer(unsigned milliseconds)
{
    view_->StartRecheckTimer(milliseconds);
}

void ListModel::OnRecheckTimer()
{
    RemoveMissing(true);
    view_->StopRecheckTimer();
}

}  // namespace lists

#include "app/key_sorter.h"

#include <cstdio>

namespace app {

namespace {

bool IsArrow(unsigned key)
{
    return key >= vk::kLeft && key <= vk::kDown;
}

// The step of a stepping key on key down: arrows, Space, keypad +/-, paging keys.
struct Step {
    unsigned key;
    int delta;
};
constexpr Step kSteps[] = {
    {vk::kDown, 1},    {vk::kSpace, 1}, {vk::kAdd, 1},      {vk::kUp, -1},    {vk::kSubtract, -1},
    {vk::kPrior, -10}, {vk::kNext, 10}, {vk::kHome, -9999}, {vk::kEnd, 9999},
};

// Keys that act on the current list window itself, on key down.
bool IsWindowKey(unsigned key, bool ctrl)
{
    return (key == vk::kSpace && ctrl) || key == vk::kApps || key == vk::kReturn || key == vk::kEscape;
}

}  // namespace

int ListNumberFromVirtualKey(unsigned virtualKey)
{
    if (virtualKey >= vk::kNumpad0 && virtualKey <= vk::kNumpad0 + 9)
        return static_cast<int>(virtualKey - vk::kNumpad0);
    if (virtualKey > 0x7F)
        return -1;
    return lists::ListNumberFromKey(static_cast<char>(virtualKey));
}

std::string FormatGeometry(const WindowRect& r)
{
    char text[128];
    std::snprintf(text, sizeof text, "(%ld,%ld)-(%ld,%ld)%ldx%ld", r.left, r.top, r.right, r.bottom,
                  r.right - r.left, r.bottom - r.top);
    return text;
}

bool KeySorter::PreTranslate(unsigned virtualKey, bool down, bool shift, bool ctrl)
{
    if (down && IsArrow(virtualKey) && (shift || ctrl))
        return Nudge(virtualKey, ctrl);
    if (down && (virtualKey == vk::kTab || virtualKey == vk::kRight)) {
        SwitchList(+1);
        return false;
    }
    if (down && virtualKey == vk::kLeft) {
        SwitchList(-1);
        return false;
    }
    return HandleKey(virtualKey, down, shift, ctrl);
}

bool KeySorter::HasCurrent() const
{
    int current = lists_.CurrentList();
    return current >= 0 && current < lists::kListCount;
}

// Ctrl resizes by the right or bottom edge, Shift alone moves the whole rectangle.
bool KeySorter::Nudge(unsigned key, bool ctrl)
{
    if (!HasCurrent())
        return true;
    const int current = lists_.CurrentList();
    WindowRect r = frame_.NormalRect(current);
    const long dx = key == vk::kLeft ? -kNudge : key == vk::kRight ? kNudge : 0;
    const long dy = key == vk::kUp ? -kNudge : key == vk::kDown ? kNudge : 0;
    if (!ctrl) {
        r.left += dx;
        r.top += dy;
    }
    r.right += dx;
    r.bottom += dy;
    frame_.MoveWindowTo(current, r);
    frame_.SetStatusText(FormatGeometry(r));
    return true;
}

void KeySorter::SwitchList(int step)
{
    int next = lists_.CurrentList() + step;
    if (next >= lists::kListCount)
        next = 0;
    else if (next < 0)
        next = lists::kListCount - 1;
    lists_.SetCurrentList(next);
    frame_.Activate(next);
}

bool KeySorter::HandleKey(unsigned key, bool down, bool shift, bool ctrl)
{
    if (key != vk::kDown)
        frame_.StopAutoAdvance();
    if (!HasCurrent())
        return false;
    if (down && IsWindowKey(key, ctrl))
        return WindowKey(key, ctrl);
    if (StepKey(key, down))
        return true;
    if (int target = ListNumberFromVirtualKey(key); target >= 0)
        return ListKey(target, down, shift, ctrl);
    if (key == vk::kBack || key == vk::kDivide) {
        Undo(down, shift);
        return true;
    }
    if (key == vk::kDelete || key == vk::kDecimal) {
        lists::ListModel& current = List(lists_.CurrentList());
        if (down)
            current.RemoveCurrent();
        else
            current.RefreshView();
        return true;
    }
    return false;
}

bool KeySorter::WindowKey(unsigned key, bool ctrl)
{
    const int current = lists_.CurrentList();
    if (key == vk::kSpace && ctrl)
        frame_.OpenWindowMenu(current);
    else if (key == vk::kApps)
        frame_.ShowContextMenu(current);
    else if (key == vk::kReturn)
        frame_.ToggleMaximize(current);
    else
        frame_.RestoreIfMaximized(current);
    return key != vk::kEscape;
}

// Key down steps without showing the image; key up shows the entry reached.
bool KeySorter::StepKey(unsigned key, bool down)
{
    for (const Step& step : kSteps) {
        if (step.key != key)
            continue;
        List(lists_.CurrentList()).MoveBy(down ? step.delta : 0, !down);
        return true;
    }
    return false;
}

bool KeySorter::ListKey(int target, bool down, bool shift, bool ctrl)
{
    const int current = lists_.CurrentList();
    if (ctrl) {
        if (down) {
            frame_.Activate(target);
            lists_.SetCurrentList(target);
        } else {
            RefreshBoth(target, current);
        }
        return true;
    }
    if (frame_.IsListMinimized(target) || frame_.IsListMinimized(current)) {
        if (down)
            frame_.Beep();
        return true;
    }
    if (target == current)
        return true;
    if (!down) {
        RefreshBoth(target, current);
        return true;
    }
    const int from = shift ? target : current;
    const int to = shift ? current : target;
    if (Transfer(from, to)) {
        lastSource_ = from;
        lastTarget_ = to;
    }
    return true;
}

void KeySorter::Undo(bool down, bool redo)
{
    if (lastSource_ < 0 || lastTarget_ < 0)
        return;
    if (!down)
        RefreshBoth(lastSource_, lastTarget_);
    else if (redo)
        Transfer(lastSource_, lastTarget_);
    else
        Transfer(lastTarget_, lastSource_);
}

void KeySorter::RefreshBoth(int a, int b)
{
    List(a).RefreshView();
    List(b).RefreshView();
}

bool KeySorter::Transfer(int from, int to)
{
    std::string path;
    if (!List(from).GetCurrentPath(path))
        return false;
    List(from).RemoveCurrent();
    List(to).InsertAndSelect(std::move(path));
    return true;
}

}  // namespace app

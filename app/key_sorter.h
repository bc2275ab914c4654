// The frame's keyboard sorting: stepping through the current list, moving the current
// image into another list or pulling one back, excluding, undo and redo of the last
// move, moving and resizing the current list window and switching the current list.
// The Win32 frame feeds every WM_KEYDOWN and WM_KEYUP through PreTranslate and does
// what FrameWindows asks of it.
#pragma once

#include <string>

#include "app/window_rect.h"
#include "lists/list_set.h"

namespace app {

// Virtual-key codes, with the Win32 VK_ values.
namespace vk {
inline constexpr unsigned kBack = 0x08;
inline constexpr unsigned kTab = 0x09;
inline constexpr unsigned kReturn = 0x0D;
inline constexpr unsigned kEscape = 0x1B;
inline constexpr unsigned kSpace = 0x20;
inline constexpr unsigned kPrior = 0x21;  // Page Up
inline constexpr unsigned kNext = 0x22;   // Page Down
inline constexpr unsigned kEnd = 0x23;
inline constexpr unsigned kHome = 0x24;
inline constexpr unsigned kLeft = 0x25;
inline constexpr unsigned kUp = 0x26;
inline constexpr unsigned kRight = 0x27;
inline constexpr unsigned kDown = 0x28;
inline constexpr unsigned kDelete = 0x2E;
inline constexpr unsigned kApps = 0x5D;
inline constexpr unsigned kNumpad0 = 0x60;  // to kNumpad0 + 9
inline constexpr unsigned kAdd = 0x6B;
inline constexpr unsigned kSubtract = 0x6D;
inline constexpr unsigned kDecimal = 0x6E;
inline constexpr unsigned kDivide = 0x6F;
}  // namespace vk

// What the Win32 frame does for the key handling.
class FrameWindows {
public:
    virtual ~FrameWindows() = default;
    virtual bool IsListMinimized(int list) const = 0;
    virtual bool IsListMaximized(int list) const = 0;
    virtual void Activate(int list) = 0;                           // WM_MDIACTIVATE to the client
    virtual WindowRect NormalRect(int list) const = 0;             // GetWindowPlacement's normal rectangle
    virtual void MoveWindowTo(int list, const WindowRect& r) = 0;  // with repainting
    virtual void SetStatusText(const std::string& text) = 0;
    virtual void Beep() = 0;                    // MessageBeep(MB_ICONEXCLAMATION)
    virtual void OpenWindowMenu(int list) = 0;  // focus + WM_SYSCOMMAND SC_KEYMENU ' '
    virtual void ShowContextMenu(int list) = 0;
    virtual void ToggleMaximize(int list) = 0;      // Enter
    virtual void RestoreIfMaximized(int list) = 0;  // Escape: WM_MDIRESTORE when maximised
    virtual void StopAutoAdvance() = 0;             // kill timer 1, clear the flag (idempotent)
};

// The list number a key names: main keyboard and keypad digits 0-9, letters 10-35;
// -1 for any other key.
int ListNumberFromVirtualKey(unsigned virtualKey);

// "(%ld,%ld)-(%ld,%ld)%ldx%ld": left, top, right, bottom, width, height.
std::string FormatGeometry(const WindowRect& r);

class KeySorter {
public:
    // How far Shift/Ctrl with an arrow moves or resizes the current list window.
    static constexpr long kNudge = 10;

    KeySorter(lists::ListSet& lists, FrameWindows& frame) : lists_(lists), frame_(frame) {}
    KeySorter(const KeySorter&) = delete;
    KeySorter& operator=(const KeySorter&) = delete;

    // One key message, down or up, with the Shift and Ctrl states at its handling.
    // True when the message is consumed; otherwise the framework's own translation
    // (accelerators) runs on it. The auto-advance tick posts Down arrow down and up
    // through here like real keys; every other key stops auto-advance.
    bool PreTranslate(unsigned virtualKey, bool down, bool shift, bool ctrl);

    // Undo (or with `redo`, redo) of the last list-key move: on down the image goes
    // back (forth), on up both lists show their current images. The record stays, so a
    // second undo moves the target's new current image back as well. Nothing happens
    // before the first move. The menu's undo is Undo(true, false), Undo(false, false).
    void Undo(bool down, bool redo);

    // The last list-key move: source and target list numbers, -1 before the first.
    int LastMoveSource() const { return lastSource_; }
    int LastMoveTarget() const { return lastTarget_; }

private:
    bool HasCurrent() const;
    lists::ListModel& List(int number) { return lists_.List(number); }
    bool Nudge(unsigned key, bool ctrl);
    void SwitchList(int step);
    bool HandleKey(unsigned key, bool down, bool shift, bool ctrl);
    bool WindowKey(unsigned key, bool ctrl);
    bool StepKey(unsigned key, bool down);
    bool ListKey(int target, bool down, bool shift, bool ctrl);
    void RefreshBoth(int a, int b);
    // Moves the current image of `from` into `to`, where it becomes current.
    bool Transfer(int from, int to);

    lists::ListSet& lists_;
    FrameWindows& frame_;
    int lastSource_ = -1;
    int lastTarget_ = -1;
};

}  // namespace app

// Drives another process's windows as a person would: starts the program, finds its
// windows, reads their text, types keys with real modifier state, reads and answers
// message boxes and looks at the screen. Every wait is bounded and keeps this thread's
// messages flowing (a program that hands the clipboard over waits for its old owner).
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "framework/win/handles.h"

namespace testing_support {

constexpr DWORD kDriverTimeoutMs = 5000;

// Polls `done` (about every 20 ms, pumping messages in between) until it holds or
// `timeoutMs` has passed; the last poll decides.
bool WaitUntil(const std::function<bool()>& done, DWORD timeoutMs = kDriverTimeoutMs);

// A started program. Move-only; the destructor ends it if it still runs.
class Process {
public:
    // Runs `exe` with `args` (one command-line string, quoted by the caller) in
    // `workdir` (empty: this process's current folder). Empty when it could not start.
    static Process Start(const std::wstring& exe, const std::wstring& args,
                         const std::wstring& workdir = L"");

    Process() = default;
    ~Process() { Terminate(); }
    Process(Process&&) noexcept = default;
    Process& operator=(Process&& other) noexcept;

    explicit operator bool() const { return static_cast<bool>(process_); }
    DWORD Id() const { return id_; }
    // Waits up to `ms` for the program to end.
    bool WaitExit(DWORD ms);
    // Ends the program if it still runs and waits (bounded) until it has gone.
    void Terminate();

private:
    fw::UniqueHandle process_;
    DWORD id_ = 0;
};

// Visible top-level windows of the process, of class `className` (null: any) and
// with exactly the caption `title` (null: any), in z order.
std::vector<HWND> TopWindows(DWORD processId, const wchar_t* className, const wchar_t* title = nullptr);
// The first such window, waiting up to `timeoutMs` for it; null when none came.
HWND WaitForWindow(DWORD processId, const wchar_t* className, const wchar_t* title = nullptr,
                   DWORD timeoutMs = kDriverTimeoutMs);
// Every descendant of `parent` of class `className` (null: any), in z order.
std::vector<HWND> ChildWindows(HWND parent, const wchar_t* className = nullptr);
std::wstring ClassOf(HWND window);

// The window's text (WM_GETTEXT); empty when the window does not answer in time.
std::wstring WindowText(HWND window, DWORD timeoutMs = kDriverTimeoutMs);
// Waits until the window's text satisfies `ok` / equals `expected`.
bool WaitForText(HWND window, const std::function<bool(const std::wstring&)>& ok,
                 DWORD timeoutMs = kDriverTimeoutMs);
bool WaitForText(HWND window, const std::wstring& expected, DWORD timeoutMs = kDriverTimeoutMs);

// Makes the top-level `window` the foreground window. False when that did not happen in time.
bool Activate(HWND window, DWORD timeoutMs = kDriverTimeoutMs);
// Activates the top-level `window`, then presses and releases `vk` with Shift and/or Ctrl
// held, and waits until the window has handled the keys. False when a step timed out.
bool PressKey(HWND window, WORD vk, bool shift = false, bool ctrl = false);
// Waits until the thread of `target` has handled the input already queued to it
// (round trips of WM_NULL, each answered only between two handled messages).
bool WaitForInputProcessed(HWND target, DWORD timeoutMs = kDriverTimeoutMs);

// WM_COMMAND `id`, posted as a menu item sends it.
bool PostCommand(HWND window, UINT id);

// A standard message box: a #32770 dialog whose text is the static with id 0xFFFF.
struct MessageBoxInfo {
    HWND hwnd = nullptr;
    std::wstring text;
    std::wstring caption;
};
bool WaitForMessageBox(DWORD processId, MessageBoxInfo& box, DWORD timeoutMs = kDriverTimeoutMs);
// Clicks the button `buttonId` (IDOK, IDYES, IDNO, ...) and waits until the box has
// closed. False when it has no such button or stays open.
bool AnswerMessageBox(const MessageBoxInfo& box, int buttonId, DWORD timeoutMs = kDriverTimeoutMs);
// True when no message box of the process shows up within `ms`.
bool NoMessageBoxWithin(DWORD processId, DWORD ms);

}  // namespace testing_support

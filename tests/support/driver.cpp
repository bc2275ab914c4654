#include "tests/support/driver.h"

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <utility>
#include <vector>

namespace testing_support {

namespace {

constexpr DWORD kPollMs = 20;
constexpr int kMessageBoxTextId = 0xFFFF;

DWORD Remaining(ULONGLONG deadline)
{
    const ULONGLONG now = GetTickCount64();
    return now >= deadline ? 0 : static_cast<DWORD>(deadline - now);
}

void PumpMessages()
{
    MSG msg;
    for (int i = 0; i < 1000 && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE); ++i) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

// Waits for `handle` (null: only for the time) while dispatching this thread's messages.
bool WaitPumping(HANDLE handle, DWORD timeoutMs)
{
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    const DWORD count = handle ? 1 : 0;
    for (;;) {
        const DWORD r = MsgWaitForMultipleObjects(count, handle ? &handle : nullptr, FALSE,
                                                  Remaining(deadline), QS_ALLINPUT);
        if (handle && r == WAIT_OBJECT_0)
            return true;
        PumpMessages();
        if (r == WAIT_TIMEOUT || r == WAIT_FAILED || Remaining(deadline) == 0)
            return handle && WaitForSingleObject(handle, 0) == WAIT_OBJECT_0;
    }
}

// A send that gives up after `timeoutMs`; false when the window did not answer.
bool SendWithin(HWND window, UINT message, WPARAM wp, LPARAM lp, DWORD timeoutMs, DWORD_PTR* result = nullptr)
{
    DWORD_PTR r = 0;
    const bool answered =
        SendMessageTimeoutW(window, message, wp, lp, SMTO_NORMAL | SMTO_ABORTIFHUNG, timeoutMs, &r) != 0;
    if (result)
        *result = r;
    return answered;
}

BOOL CALLBACK Collect(HWND window, LPARAM list)
{
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
    return TRUE;
}

// The top-level windows (parent null) or every descendant of `parent`, in z order.
std::vector<HWND> Enumerated(HWND parent)
{
    std::vector<HWND> all;
    if (parent)
        EnumChildWindows(parent, &Collect, reinterpret_cast<LPARAM>(&all));
    else
        EnumWindows(&Collect, reinterpret_cast<LPARAM>(&all));
    return all;
}

DWORD ProcessOf(HWND window)
{
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    return pid;
}

// Keys whose scan code has the E0 prefix: without the flag they read as the keypad's.
bool IsExtendedKey(WORD vk)
{
    static constexpr WORD kExtended[] = {VK_LEFT,   VK_RIGHT,    VK_UP,   VK_DOWN,   VK_HOME,
                                         VK_END,    VK_PRIOR,    VK_NEXT, VK_INSERT, VK_DELETE,
                                         VK_DIVIDE, VK_RCONTROL, VK_RMENU};
    return std::find(std::begin(kExtended), std::end(kExtended), vk) != std::end(kExtended);
}

INPUT KeyInput(WORD vk, bool up)
{
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = vk;
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
    if (IsExtendedKey(vk))
        input.ki.dwFlags |= KEYEVENTF_EXTENDEDKEY;
    if (up)
        input.ki.dwFlags |= KEYEVENTF_KEYUP;
    return input;
}

HWND FindMessageBox(DWORD processId)
{
    for (HWND w : TopWindows(processId, L"#32770")) {
        if (GetDlgItem(w, kMessageBoxTextId))
            return w;
    }
    return nullptr;
}

}  // namespace

bool WaitUntil(const std::function<bool()>& done, DWORD timeoutMs)
{
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    while (!done()) {
        const DWORD left = Remaining(deadline);
        if (left == 0)
            return done();
        WaitPumping(nullptr, std::min(left, kPollMs));
    }
    return true;
}

// Process

Process Process::Start(const std::wstring& exe, const std::wstring& args, const std::wstring& workdir)
{
    std::wstring commandLine = L"\"" + exe + L"\"";
    if (!args.empty())
        commandLine += L" " + args;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    Process p;
    // Under load Wine has been seen to refuse a start once; a program that cannot be
    // found is not tried again.
    constexpr int kAttempts = 3;
    for (int attempt = 1;; ++attempt) {
        if (CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                           workdir.empty() ? nullptr : workdir.c_str(), &startup, &info))
            break;
        const DWORD error = GetLastError();
        std::fwprintf(stderr, L"driver: starting %ls failed with error %lu (attempt %d)\n", exe.c_str(),
                      error, attempt);
        if (attempt == kAttempts || error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
            return p;
        Sleep(250);
    }
    CloseHandle(info.hThread);
    p.process_.reset(info.hProcess);
    p.id_ = info.dwProcessId;
    return p;
}

Process& Process::operator=(Process&& other) noexcept
{
    if (this != &other) {
        Terminate();
        process_ = std::move(other.process_);
        id_ = std::exchange(other.id_, 0);
    }
    return *this;
}

bool Process::WaitExit(DWORD ms)
{
    return process_ && WaitPumping(process_.get(), ms);
}

void Process::Terminate()
{
    if (!process_ || WaitForSingleObject(process_.get(), 0) != WAIT_TIMEOUT)
        return;
    TerminateProcess(process_.get(), 1);
    WaitPumping(process_.get(), kDriverTimeoutMs);
}

// Windows

std::vector<HWND> TopWindows(DWORD processId, const wchar_t* className, const wchar_t* title)
{
    std::vector<HWND> found;
    for (HWND w : Enumerated(nullptr)) {
        if (ProcessOf(w) == processId && IsWindowVisible(w) && (!className || ClassOf(w) == className) &&
            (!title || WindowText(w, 1000) == title))
            found.push_back(w);
    }
    return found;
}

HWND WaitForWindow(DWORD processId, const wchar_t* className, const wchar_t* title, DWORD timeoutMs)
{
    HWND found = nullptr;
    WaitUntil(
        [&] {
            const std::vector<HWND> windows = TopWindows(processId, className, title);
            found = windows.empty() ? nullptr : windows.front();
            return found != nullptr;
        },
        timeoutMs);
    return found;
}

std::vector<HWND> ChildWindows(HWND parent, const wchar_t* className)
{
    std::vector<HWND> found = Enumerated(parent);
    if (className)
        std::erase_if(found, [&](HWND w) { return ClassOf(w) != className; });
    return found;
}

std::wstring ClassOf(HWND window)
{
    wchar_t name[256];
    const int n = GetClassNameW(window, name, 256);
    return std::wstring(name, n > 0 ? n : 0);
}

std::wstring WindowText(HWND window, DWORD timeoutMs)
{
    DWORD_PTR length = 0;
    if (!SendWithin(window, WM_GETTEXTLENGTH, 0, 0, timeoutMs, &length))
        return std::wstring();
    std::wstring text(length + 1, L'\0');
    DWORD_PTR copied = 0;
    if (!SendWithin(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), timeoutMs,
                    &copied))
        return std::wstring();
    text.resize(std::min<size_t>(copied, length));
    return text;
}

bool WaitForText(HWND window, const std::function<bool(const std::wstring&)>& ok, DWORD timeoutMs)
{
    return WaitUntil([&] { return ok(WindowText(window, timeoutMs)); }, timeoutMs);
}

bool WaitForText(HWND window, const std::wstring& expected, DWORD timeoutMs)
{
    return WaitForText(
        window, [&](const std::wstring& text) { return text == expected; }, timeoutMs);
}

// Keys

bool Activate(HWND window, DWORD timeoutMs)
{
    if (GetForegroundWindow() != window)
        SetForegroundWindow(window);
    // The window's thread takes the activation in its own time.
    return WaitUntil([&] { return GetForegroundWindow() == window; }, timeoutMs) &&
           WaitForInputProcessed(window, timeoutMs);
}

bool PressKey(HWND window, WORD vk, bool shift, bool ctrl)
{
    if (!Activate(window))
        return false;
    std::vector<INPUT> inputs;
    if (shift)
        inputs.push_back(KeyInput(VK_SHIFT, false));
    if (ctrl)
        inputs.push_back(KeyInput(VK_CONTROL, false));
    inputs.push_back(KeyInput(vk, false));
    inputs.push_back(KeyInput(vk, true));
    if (ctrl)
        inputs.push_back(KeyInput(VK_CONTROL, true));
    if (shift)
        inputs.push_back(KeyInput(VK_SHIFT, true));
    const UINT sent = SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
    return sent == inputs.size() && WaitForInputProcessed(window);
}

bool WaitForInputProcessed(HWND target, DWORD timeoutMs)
{
    // The target's thread answers a sent message before it takes the next posted or
    // input message, so each round trip lets at least one queued message through.
    // Input queued by PressKey makes at most a dozen messages (keys, characters).
    constexpr int kRoundTrips = 16;
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (int i = 0; i < kRoundTrips; ++i) {
        const DWORD left = Remaining(deadline);
        if (left == 0 || !SendWithin(target, WM_NULL, 0, 0, left))
            return false;
    }
    // A thread can answer sent messages many times over within one wait of its own, so
    // round trips alone prove little. A paint is only handed out once no input is left
    // in the queue: one pixel of the innermost window at the client's corner is made
    // dirty, and the input is through once that window has painted it.
    HWND inner = target;
    for (int depth = 0; depth < 16; ++depth) {
        const HWND child =
            ChildWindowFromPointEx(inner, POINT{0, 0}, CWP_SKIPINVISIBLE | CWP_SKIPTRANSPARENT);
        if (!child || child == inner)
            break;
        inner = child;
    }
    const RECT pixel{0, 0, 1, 1};
    if (!InvalidateRect(inner, &pixel, FALSE))
        return false;
    while (GetUpdateRect(inner, nullptr, FALSE)) {
        if (Remaining(deadline) == 0)
            return false;
        WaitPumping(nullptr, 2);
    }
    return true;
}

bool PostCommand(HWND window, UINT id)
{
    return PostMessageW(window, WM_COMMAND, MAKEWPARAM(id, 0), 0) != 0;
}

// Message boxes

bool WaitForMessageBox(DWORD processId, MessageBoxInfo& box, DWORD timeoutMs)
{
    box = MessageBoxInfo{};
    if (!WaitUntil([&] { return (box.hwnd = FindMessageBox(processId)) != nullptr; }, timeoutMs))
        return false;
    box.text = WindowText(GetDlgItem(box.hwnd, kMessageBoxTextId), timeoutMs);
    box.caption = WindowText(box.hwnd, timeoutMs);
    return true;
}

bool AnswerMessageBox(const MessageBoxInfo& box, int buttonId, DWORD timeoutMs)
{
    const HWND button = GetDlgItem(box.hwnd, buttonId);
    if (!button || !IsWindowVisible(button) || !SendWithin(button, BM_CLICK, 0, 0, timeoutMs))
        return false;
    return WaitUntil([&] { return !IsWindow(box.hwnd) || !IsWindowVisible(box.hwnd); }, timeoutMs);
}

bool NoMessageBoxWithin(DWORD processId, DWORD ms)
{
    return !WaitUntil([&] { return FindMessageBox(processId) != nullptr; }, ms);
}

}  // namespace testing_support

// Drives this thread's modal dialogs from inside their own message loops: a thread
// timer runs the steps in order, each once a dialog with its title is up. A step
// that opens a nested modal dialog blocks in that dialog's loop, where the timer
// goes on with the next steps. Every run is bounded: at the deadline each dialog of
// the thread is ended with IDCANCEL and the script reports what was left.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace fileops_ui_test {

class DialogScript {
public:
    using Action = std::function<void(HWND dialog)>;

    // Waits for an enabled dialog of this thread captioned `title`, then runs `action`.
    DialogScript& Then(std::wstring title, Action action);
    // Waits for an enabled dialog of this thread that is not captioned `other` (a
    // system dialog whose caption is the system's).
    DialogScript& ThenOtherThan(std::wstring other, Action action);

    // Runs `modal` (which shows the first dialog) with the steps. True when every step
    // ran before the deadline.
    bool Run(const std::function<void()>& modal, DWORD timeoutMs = 8000);
    // The step the script waited for when it ran out of time ("" when none).
    const std::wstring& Stuck() const { return stuck_; }

private:
    struct Step {
        std::wstring title;
        bool other;
        Action action;
    };
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD);
    void OnTick();

    std::vector<Step> steps_;
    size_t next_ = 0;
    DWORD deadline_ = 0;
    std::wstring stuck_;
};

// Helpers for steps.
HWND Control(HWND dialog, int id);
std::wstring Text(HWND window);
void SetText(HWND dialog, int id, const std::wstring& text);
void Click(HWND dialog, int id);
// A key as the keyboard would post it to `window` (down and up).
void PostKey(HWND window, WORD key);
bool IsShown(HWND window);

}  // namespace fileops_ui_test

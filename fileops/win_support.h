// Small Win32 helpers of the move command's dialogs: text from the dialogs to the
// ANSI code page of paths, and the wait cursor.
#pragma once

#include <windows.h>

#include <string>

namespace fileops {

// A wide text in the ANSI code page without best-fit guesses: a character the code
// page does not hold becomes "?", which no file name or folder may contain, so the
// checks that follow refuse it instead of silently naming another file.
inline std::string ToAnsiPath(const std::wstring& text)
{
    if (text.empty())
        return std::string();
    BOOL usedDefault = FALSE;
    const int size = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(),
                                         static_cast<int>(text.size()), nullptr, 0, "?", &usedDefault);
    std::string ansi(static_cast<size_t>(size > 0 ? size : 0), '\0');
    if (size > 0)
        WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(), static_cast<int>(text.size()),
                            ansi.data(), size, "?", &usedDefault);
    return ansi;
}

// Shows the wait cursor for the life of the scope and puts the previous one back.
class WaitCursor {
public:
    WaitCursor() : previous_(SetCursor(LoadCursorA(nullptr, IDC_WAIT))) {}
    ~WaitCursor() { SetCursor(previous_); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

private:
    HCURSOR previous_;
};

}  // namespace fileops

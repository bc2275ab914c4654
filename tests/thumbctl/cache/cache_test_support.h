// Helpers of the Windows cache suites: a window that records picture-ready
// messages, a bounded message loop, a beep counter and test image files.
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <string>
#include <vector>

#include "thumbctl/cache/beep.h"

namespace cache_test {

// A message-only window; every picture-ready message it gets is logged.
class ReadyWindow {
public:
    ReadyWindow();
    ~ReadyWindow();
    ReadyWindow(const ReadyWindow&) = delete;
    ReadyWindow& operator=(const ReadyWindow&) = delete;

    HWND Handle() const { return hwnd_; }
    void Destroy();
    int Messages() const;

    // Windows in the order their picture-ready messages arrived (all windows).
    static std::vector<HWND>& Log();

private:
    HWND hwnd_ = nullptr;
};

// Runs the message loop until `done` holds or `timeoutMs` passed; returns `done()`.
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs);
// Runs the message loop for a while (to prove that nothing arrives).
void PumpFor(DWORD ms);

// Counts beeps instead of sounding them while alive.
class BeepCounter {
public:
    BeepCounter();
    ~BeepCounter();
    BeepCounter(const BeepCounter&) = delete;
    BeepCounter& operator=(const BeepCounter&) = delete;
    int Count() const;

private:
    thumbctl::cache::BeepHandler previous_;
};

// File bytes.
std::string Bmp24(int width, int height);
std::string Vtp(int width, int height, char kind = '1');
std::string Jpeg();
std::string Gif();
std::string Icon();

// A file next to the test program.
std::string BesideProgram(const std::string& name);

// Sets a file's last-write time (FILETIME as one 64-bit value).
bool SetLastWrite(const std::string& path, uint64_t time);

}  // namespace cache_test

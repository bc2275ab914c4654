// Helpers of the Windows cache suites: a window that records picture-ready messages and
// pictures for the test plug-in.
#pragma once

#include <windows.h>

#include <string>

#include "thumbctl/server/interface.h"

namespace cache_test {

// A message-only window that counts the picture-ready messages it gets.
class ReadyWindow {
public:
    ReadyWindow()
    {
        static const char* const kClass = [] {
            WNDCLASSA wc = {};
            wc.lpfnWndProc = &Proc;
            wc.hInstance = GetModuleHandleA(nullptr);
            wc.lpszClassName = "VelmoraCacheTestWindow";
            RegisterClassA(&wc);
            return wc.lpszClassName;
        }();
        hwnd_ = CreateWindowExA(0, kClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
    }
    ~ReadyWindow() { DestroyWindow(hwnd_); }
    ReadyWindow(const ReadyWindow&) = delete;
    ReadyWindow& operator=(const ReadyWindow&) = delete;

    HWND Handle() const { return hwnd_; }
    int Messages() const { return static_cast<int>(GetWindowLongPtrA(hwnd_, GWLP_USERDATA)); }

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
    {
        if (msg != thumbctl::kPictureReadyMessage)
            return DefWindowProcA(hwnd, msg, wp, lp);
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, GetWindowLongPtrA(hwnd, GWLP_USERDATA) + 1);
        return 0;
    }

    HWND hwnd_ = nullptr;
};

// A picture of the test plug-in's own format: "VTP" and `kind`, width and height, then
// 24-bit pixels (from `seed`).
inline std::string Vtp(int width, int height, char kind = '1', int seed = 0)
{
    const int32_t size[2] = {width, height};
    std::string s = std::string("VTP") + kind + std::string(reinterpret_cast<const char*>(size), 8);
    for (int i = 0; i < width * height * 3; ++i)
        s.push_back(static_cast<char>(i * 13 + seed));
    return s;
}

// A file next to the test program.
inline std::string BesideProgram(const std::string& name)
{
    char path[MAX_PATH] = "";
    const std::string program(path, GetModuleFileNameA(nullptr, path, MAX_PATH));
    return program.substr(0, program.rfind('\\') + 1) + name;
}

}  // namespace cache_test

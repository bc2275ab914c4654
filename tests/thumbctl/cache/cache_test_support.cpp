#include "tests/thumbctl/cache/cache_test_support.h"

#include <cstring>

#include "tests/thumbctl/cache/sample_images.h"
#include "thumbctl/cache/picture_cache_engine.h"
#include "thumbctl/server/interface.h"

namespace cache_test {
namespace {

std::atomic<int> g_beeps{0};

void CountBeep()
{
    ++g_beeps;
}

LRESULT CALLBACK ReadyProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == thumbctl::kPictureReadyMessage) {
        ReadyWindow::Log().push_back(hwnd);
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

const char* ClassName()
{
    static const char* name = [] {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = &ReadyProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "VelmoraCacheTestWindow";
        RegisterClassA(&wc);
        return "VelmoraCacheTestWindow";
    }();
    return name;
}

template <size_t N>
std::string Bytes(const unsigned char (&data)[N])
{
    return std::string(reinterpret_cast<const char*>(data), N);
}

void Put32(std::string& s, uint32_t v)
{
    s.append(reinterpret_cast<const char*>(&v), 4);
}

void Put16(std::string& s, uint16_t v)
{
    s.append(reinterpret_cast<const char*>(&v), 2);
}

}  // namespace

ReadyWindow::ReadyWindow()
{
    hwnd_ = CreateWindowExA(0, ClassName(), "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                            GetModuleHandleA(nullptr), nullptr);
}

ReadyWindow::~ReadyWindow()
{
    Destroy();
}

void ReadyWindow::Destroy()
{
    if (hwnd_)
        DestroyWindow(hwnd_);
}

int ReadyWindow::Messages() const
{
    int n = 0;
    for (HWND h : Log())
        n += h == hwnd_ ? 1 : 0;
    return n;
}

std::vector<HWND>& ReadyWindow::Log()
{
    static std::vector<HWND> log;
    return log;
}

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs)
{
    const DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start >= timeoutMs)
            return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    return true;
}

void PumpFor(DWORD ms)
{
    PumpUntil([] { return false; }, ms);
}

BeepCounter::BeepCounter() : previous_(thumbctl::cache::SetBeepHandler(&CountBeep))
{
    g_beeps = 0;
}

BeepCounter::~BeepCounter()
{
    thumbctl::cache::SetBeepHandler(previous_);
}

int BeepCounter::Count() const
{
    return g_beeps.load();
}

std::string Bmp24(int width, int height)
{
    const uint32_t stride = (width * 3 + 3) & ~3u;
    const uint32_t pixels = stride * height;
    std::string s = "BM";
    Put32(s, 54 + pixels);
    Put32(s, 0);
    Put32(s, 54);
    Put32(s, 40);
    Put32(s, width);
    Put32(s, height);
    Put16(s, 1);
    Put16(s, 24);
    Put32(s, 0);
    Put32(s, pixels);
    Put32(s, 2835);
    Put32(s, 2835);
    Put32(s, 0);
    Put32(s, 0);
    for (uint32_t i = 0; i < pixels; ++i)
        s.push_back(static_cast<char>(i * 7));
    return s;
}

std::string Vtp(int width, int height, char kind)
{
    std::string s = "VTP";
    s.push_back(kind);
    Put32(s, width);
    Put32(s, height);
    for (int i = 0; i < width * height * 3; ++i)
        s.push_back(static_cast<char>(i * 13));
    return s;
}

std::string Jpeg()
{
    return Bytes(kJpeg16x12);
}

std::string Gif()
{
    return Bytes(kGif8x6);
}

std::string Icon()
{
    return Bytes(kIcon16);
}

std::string BesideProgram(const std::string& name)
{
    char path[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string s = path;
    return s.substr(0, s.rfind('\\') + 1) + name;
}

bool SetLastWrite(const std::string& path, uint64_t time)
{
    HANDLE file = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    FILETIME ft{static_cast<DWORD>(time), static_cast<DWORD>(time >> 32)};
    BOOL ok = SetFileTime(file, nullptr, nullptr, &ft);
    CloseHandle(file);
    return ok != FALSE;
}

}  // namespace cache_test

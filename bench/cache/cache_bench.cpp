// Picture cache timings and memory, on large photo-like JPEG files:
//   cache_bench FOLDER      (FOLDER holds photo01.jpg ... photoNN.jpg)
// Prints, per file and summarised:
//   bare   OleLoadPicture of the whole file through a stream, in this process;
//   cache  a LoadBitmap miss until the picture-ready message arrives;
//   hit    LoadBitmap on a ready entry;
//   memory the process's working set and commit with 48 slots full.
#include <ole2.h>
#include <olectl.h>
#include <psapi.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "bench/photo_files.h"
#include "thumbctl/cache/picture_cache_engine.h"
#include "thumbctl/server/interface.h"

namespace {

using thumbctl::cache::PictureCacheEngine;

double NowMs()
{
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

int g_ready = 0;

LRESULT CALLBACK ReadyProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == thumbctl::kPictureReadyMessage) {
        ++g_ready;
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

HWND MakeWindow()
{
    static bool registered = false;
    if (!registered) {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = &ReadyProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "CacheBenchWindow";
        RegisterClassA(&wc);
        registered = true;
    }
    return CreateWindowExA(0, "CacheBenchWindow", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                           GetModuleHandleA(nullptr), nullptr);
}

bool PumpUntilReady(int count, DWORD timeoutMs)
{
    const DWORD start = GetTickCount();
    while (g_ready < count) {
        if (GetTickCount() - start > timeoutMs)
            return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&msg);
    }
    return true;
}

// The bare decode: the same steps as the cache's OLE loader, on this thread.
bool BareDecode(const std::string& path)
{
    HANDLE file =
        CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD size = GetFileSize(file, nullptr);
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size);
    DWORD read = 0;
    void* data = GlobalLock(block);
    ReadFile(file, data, size, &read, nullptr);
    GlobalUnlock(block);
    CloseHandle(file);
    IStream* stream = nullptr;
    if (FAILED(CreateStreamOnHGlobal(block, TRUE, &stream)))
        return false;
    IPictureDisp* picture = nullptr;
    HRESULT hr = OleLoadPicture(stream, static_cast<LONG>(size), TRUE, IID_IPictureDisp,
                                reinterpret_cast<void**>(&picture));
    stream->Release();
    if (picture) {
        // Free the bitmap as the cache does where the picture does not own it.
        OLE_HANDLE value = 0;
        IPicture* p = nullptr;
        if (SUCCEEDED(picture->QueryInterface(IID_IPicture, reinterpret_cast<void**>(&p)))) {
            p->get_Handle(&value);
            p->Release();
        }
        picture->Release();
        auto bitmap = reinterpret_cast<HGDIOBJ>(static_cast<intptr_t>(static_cast<int32_t>(value)));
        if (bitmap && GetObjectType(bitmap) == OBJ_BITMAP)
            DeleteObject(bitmap);
    }
    return hr == S_OK;
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

double Mean(const std::vector<double>& v)
{
    double s = 0;
    for (double x : v)
        s += x;
    return v.empty() ? 0 : s / static_cast<double>(v.size());
}

void PrintMemory(const char* label)
{
    PROCESS_MEMORY_COUNTERS pmc = {};
    pmc.cb = sizeof pmc;
    GetProcessMemoryInfo(GetCurrentProcess(), &pmc, sizeof pmc);
    printf("memory %-14s working_set_mb %.1f peak_working_set_mb %.1f commit_mb %.1f peak_commit_mb %.1f\n",
           label, pmc.WorkingSetSize / 1048576.0, pmc.PeakWorkingSetSize / 1048576.0,
           pmc.PagefileUsage / 1048576.0, pmc.PeakPagefileUsage / 1048576.0);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        fprintf(stderr, "usage: cache_bench FOLDER\n");
        return 2;
    }
    const std::string folder = argv[1];
    const std::vector<std::string> files = PhotoFiles(folder);
    if (files.empty())
        return 2;
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    PrintMemory("start");

    // Warm up the decoder libraries and the file cache.
    BareDecode(files[0]);

    std::vector<double> bare, cached;
    {
        PictureCacheEngine engine(static_cast<int16_t>(files.size() + 1), 64);
        HWND window = MakeWindow();
        for (const std::string& path : files) {
            double t0 = NowMs();
            if (!BareDecode(path)) {
                fprintf(stderr, "bare decode failed: %s\n", path.c_str());
                return 1;
            }
            bare.push_back(NowMs() - t0);

            HBITMAP bitmap = nullptr;
            BITMAP info = {};
            g_ready = 0;
            t0 = NowMs();
            engine.RequestBitmap(window, path, &bitmap, &info);
            if (!PumpUntilReady(1, 20000) || engine.RequestBitmap(window, path, &bitmap, &info) != S_OK) {
                fprintf(stderr, "cache decode failed: %s\n", path.c_str());
                return 1;
            }
            cached.push_back(NowMs() - t0);
            printf("file %s bare_ms %.1f cache_ms %.1f size %ldx%ld\n", path.c_str() + folder.size() + 1,
                   bare.back(), cached.back(), info.bmWidth, info.bmHeight);
        }

        // Hit latency on a ready entry.
        HBITMAP bitmap = nullptr;
        BITMAP info = {};
        const int hits = 20000;
        double t0 = NowMs();
        for (int i = 0; i < hits; ++i)
            engine.RequestBitmap(window, files.back(), &bitmap, &info);
        const double hitUs = (NowMs() - t0) * 1000.0 / hits;

        // What a hit is made of, for the record: the file lookup and one
        // wait/release of an unnamed mutex.
        t0 = NowMs();
        for (int i = 0; i < hits; ++i) {
            WIN32_FIND_DATAA data;
            HANDLE find = FindFirstFileA(files.back().c_str(), &data);
            if (find != INVALID_HANDLE_VALUE)
                FindClose(find);
        }
        const double findUs = (NowMs() - t0) * 1000.0 / hits;
        t0 = NowMs();
        for (int i = 0; i < hits; ++i) {
            WIN32_FILE_ATTRIBUTE_DATA data;
            GetFileAttributesExA(files.back().c_str(), GetFileExInfoStandard, &data);
        }
        const double attributesUs = (NowMs() - t0) * 1000.0 / hits;
        HANDLE mutex = CreateMutexA(nullptr, FALSE, nullptr);
        t0 = NowMs();
        for (int i = 0; i < hits; ++i) {
            WaitForSingleObject(mutex, INFINITE);
            ReleaseMutex(mutex);
        }
        const double mutexUs = (NowMs() - t0) * 1000.0 / hits;
        CloseHandle(mutex);
        printf("hit_parts find_first_file_us %.2f get_file_attributes_ex_us %.2f mutex_us %.2f\n", findUs,
               attributesUs, mutexUs);
        printf(
            "summary bare_mean_ms %.1f bare_median_ms %.1f cache_mean_ms %.1f cache_median_ms %.1f "
            "ratio_mean %.3f limit_ms_mean %.1f hit_us %.2f\n",
            Mean(bare), Median(bare), Mean(cached), Median(cached), Mean(cached) / Mean(bare),
            Mean(bare) * 1.1 + 30.0, hitUs);
        DestroyWindow(window);
    }
    PrintMemory("after timings");

    // Memory: 48 slots full (the files again under other names).
    {
        const int slots = 48;
        std::vector<std::string> names;
        for (int i = 0; i < slots; ++i) {
            char name[32];
            snprintf(name, sizeof name, "\\fill%02d.jpg", i);
            std::string target = folder + name;
            if (GetFileAttributesA(target.c_str()) == INVALID_FILE_ATTRIBUTES)
                CopyFileA(files[i % files.size()].c_str(), target.c_str(), FALSE);
            names.push_back(target);
        }
        PictureCacheEngine engine(slots, 64);
        HWND window = MakeWindow();
        g_ready = 0;
        HBITMAP bitmap = nullptr;
        BITMAP info = {};
        for (const std::string& path : names)
            engine.RequestBitmap(window, path, &bitmap, &info);
        if (!PumpUntilReady(slots, 600000)) {
            fprintf(stderr, "only %d of %d pictures became ready\n", g_ready, slots);
            return 1;
        }
        int delivered = 0;
        for (const std::string& path : names)
            delivered += engine.RequestBitmap(window, path, &bitmap, &info) == S_OK ? 1 : 0;
        printf("slots_full %d delivered %d\n", slots, delivered);
        PrintMemory("48 slots full");
        DestroyWindow(window);
    }
    PrintMemory("after release");
    CoUninitialize();
    return 0;
}

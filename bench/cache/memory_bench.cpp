// Peak memory of a walk through 24-megapixel photos in one window with the
// largest cache the sorter allows, with and without a memory budget.
//   memory_bench.exe FOLDER BUDGET_MIB COUNT [EXT PLUGIN]
// With EXT (heic, dng) the walk goes through copies of FOLDER\walk000.EXT, decoded by
// the plug-in file PLUGIN.
#include <objbase.h>
#include <windows.h>

#include <psapi.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "framework/core/codepage.h"
#include "tests/support/driver.h"
#include "tests/support/wic_encode.h"
#include "tests/thumbctl/cache/cache_test_support.h"
#include "thumbctl/cache/picture_cache_engine.h"
#include "thumbctl/server/library_settings.h"

using namespace thumbctl;
using namespace thumbctl::cache;

namespace {

// A JPEG file of the given size (a smooth gradient), encoded by the system's imaging
// component. Empty when it cannot be made.
std::string GradientJpeg(int width, int height)
{
    const auto w = static_cast<UINT>(width), h = static_cast<UINT>(height);
    return testing_support::EncodeWithWic(GUID_ContainerFormatJpeg, w, h, [w, h](UINT x, UINT y) {
        return (x * 255 / w) << 16 | (y * 255 / h) << 8 | ((x + y) & 0xFF);
    });
}

struct WalkResult {
    int arrived = 0;          // pictures delivered at their full size
    uint64_t maxHeld = 0;     // most picture bytes the table held after a step
    uint64_t peakMemory = 0;  // the process's peak working set at the end
    double seconds = 0;
};

// Walks `paths` in order as a list window makes it: each step queues the next file and
// then asks for the current one until it arrives. A picture counts as arrived when the
// request for it succeeds within `waitMs` with a bitmap of width x height.
WalkResult WalkPhotos(PictureCacheEngine& engine, const cache_test::ReadyWindow& window,
                      const std::vector<std::string>& paths, LONG width, LONG height, DWORD waitMs)
{
    WalkResult result;
    const DWORD start = GetTickCount();
    for (size_t i = 0; i < paths.size(); ++i) {
        HBITMAP bitmap = nullptr;
        BITMAP info{};
        if (i + 1 < paths.size())
            engine.RequestBitmap(window.Handle(), paths[i + 1], &bitmap, &info);
        // Asked again at each picture-ready message, as the window's repaint asks.
        const ULONGLONG deadline = GetTickCount64() + waitMs;
        for (;;) {
            const int seen = window.Messages();
            if (engine.RequestBitmap(window.Handle(), paths[i], &bitmap, &info) == S_OK) {
                result.arrived += info.bmWidth == width && info.bmHeight == height;
                break;
            }
            const ULONGLONG now = GetTickCount64();
            if (now >= deadline ||
                !testing_support::WaitUntil([&] { return window.Messages() != seen; }, DWORD(deadline - now)))
                break;
        }
        result.maxHeld = std::max(result.maxHeld, engine.Table().HeldBytes());
    }
    result.seconds = (GetTickCount() - start) / 1000.0;
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    if (GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters))
        result.peakMemory = counters.PeakWorkingSetSize;
    return result;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 4) {
        std::fprintf(stderr, "usage: memory_bench FOLDER BUDGET_MIB COUNT [EXT PLUGIN]\n");
        return 2;
    }
    const std::string folder = argv[1];
    const int count = std::atoi(argv[3]);
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const std::string extension = argc > 5 ? argv[4] : "jpg";
    std::string settings = std::string("memorybudget=") + argv[2] + "\n";
    if (argc > 5)
        settings += extension + "=" + argv[5] + "\n";
    InstallSettings(LibrarySettings::Parse(settings, fw::SystemCodePage()));

    const std::string first = folder + "\\walk000.jpg";
    if (GetFileAttributesA(first.c_str()) == INVALID_FILE_ATTRIBUTES) {
        const std::string photo = GradientJpeg(6000, 4000);
        HANDLE file = CreateFileA(first.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD written = 0;
        if (photo.empty() || file == INVALID_HANDLE_VALUE ||
            !WriteFile(file, photo.data(), static_cast<DWORD>(photo.size()), &written, nullptr)) {
            std::fprintf(stderr, "memory_bench: cannot write %s\n", first.c_str());
            return 1;
        }
        CloseHandle(file);
    }
    std::vector<std::string> paths{folder + "\\walk000." + extension};
    if (GetFileAttributesA(paths[0].c_str()) == INVALID_FILE_ATTRIBUTES) {
        std::fprintf(stderr, "memory_bench: no %s\n", paths[0].c_str());
        return 1;
    }
    for (int i = 1; i < count; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "\\walk%03d.%s", i, extension.c_str());
        paths.push_back(folder + name);
        CopyFileA(paths[0].c_str(), paths.back().c_str(), TRUE);
    }
    WalkResult walk;
    {
        PictureCacheEngine engine(94, 64);
        cache_test::ReadyWindow window;
        walk = WalkPhotos(engine, window, paths, 6000, 4000, 30000);
    }
    // The target with a budget: every picture arrives, the table holds at most the budget
    // and the picture just decoded, and the process needs at most two pictures more (the
    // decoder's own copy and the one in hand) and 128 MiB besides.
    const uint64_t budget = CurrentSettings().MemoryBudgetBytes(), picture = uint64_t{6000} * 4000 * 4;
    const bool met =
        walk.arrived == count && (budget == 0 || (walk.maxHeld <= budget + picture &&
                                                  walk.peakMemory < budget + 3 * picture + (128u << 20)));
    std::printf(
        "walk %s budget_mib %s pictures %d arrived %d most_held_mib %llu peak_working_set_mib %llu "
        "seconds %.1f target %s\n",
        extension.c_str(), argv[2], count, walk.arrived, static_cast<unsigned long long>(walk.maxHeld >> 20),
        static_cast<unsigned long long>(walk.peakMemory >> 20), walk.seconds, met ? "met" : "missed");
    CoUninitialize();
    return met ? 0 : 1;
}

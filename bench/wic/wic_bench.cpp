// The library's two decoder paths on the same large JPEG files, in one process:
//   wic_bench PLUGIN FOLDER [ROUNDS [EXT]]   (FOLDER holds photo01.jpg ... photoNN.jpg)
// Each round decodes every file through the OLE picture loader (DecodeWithOle)
// and through the plug-in (DecodeWithPlugin: GetPicture and bitmap, the plug-in loaded
// once as a cache keeps it),
// alternating, on a thread in the multithreaded apartment as the cache's loader
// threads are. Prints per-decode times and the medians. With EXT (heic, avif, webp,
// dng) the files photoNN.EXT go through the plug-in alone; DNG files alternate with
// photoNN.jpg, their previews, whose decode is their cost's measure.
#include <objbase.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/photo_files.h"
#include "thumbctl/cache/decoders.h"

namespace {

using thumbctl::cache::DecodeResult;
using thumbctl::cache::EntryState;

double NowMs()
{
    static const LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

// The decoded bitmap's size, or 0 x 0 when the decode failed.
SIZE Decoded(DecodeResult& r)
{
    uintptr_t handle = 0;
    BITMAP info = {};
    if (r.state == EntryState::kFailed || !r.picture || !r.picture->BitmapHandle(handle) ||
        !GetObjectA(reinterpret_cast<HBITMAP>(handle), sizeof info, &info))
        return SIZE{0, 0};
    return SIZE{info.bmWidth, info.bmHeight};
}

// The plug-in path alone, for formats the OLE loader cannot read.
int PluginOnly(thumbctl::cache::PluginModules& plugins, const std::string& plugin, const std::string& folder,
               const std::vector<std::string>& files, int rounds)
{
    DecodeResult warm = thumbctl::cache::DecodeWithPlugin(plugins, plugin, files[0]);
    if (Decoded(warm).cx == 0) {
        fprintf(stderr, "the plug-in cannot decode %s\n", files[0].c_str());
        return 1;
    }
    warm.picture.reset();
    const bool previews = files[0].size() > 4 && files[0].compare(files[0].size() - 4, 4, ".dng") == 0;
    std::vector<double> times, previewTimes;
    for (int round = 0; round < rounds; ++round) {
        for (const std::string& path : files) {
            if (previews) {
                const double t = NowMs();
                DecodeResult j = thumbctl::cache::DecodeWithPlugin(plugins, plugin,
                                                                   path.substr(0, path.size() - 3) + "jpg");
                const bool ok = Decoded(j).cx != 0;
                j.picture.reset();
                if (ok)
                    previewTimes.push_back(NowMs() - t);
            }
            const double t0 = NowMs();
            DecodeResult p = thumbctl::cache::DecodeWithPlugin(plugins, plugin, path);
            const SIZE ps = Decoded(p);
            p.picture.reset();
            const double ms = NowMs() - t0;
            if (ps.cx == 0) {
                fprintf(stderr, "decode failed: %s\n", path.c_str());
                return 1;
            }
            times.push_back(ms);
            printf("file %s round %d plugin_ms %.1f size %ldx%ld\n", path.c_str() + folder.size() + 1,
                   round + 1, ms, ps.cx, ps.cy);
        }
    }
    printf("summary decodes %zu plugin_median_ms %.1f", times.size(), Median(times));
    if (previews)
        printf(" preview_jpeg_median_ms %.1f dng_over_jpeg %.3f", Median(previewTimes),
               Median(times) / std::max(Median(previewTimes), 0.001));
    printf("\n");
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        fprintf(stderr, "usage: wic_bench PLUGIN FOLDER [ROUNDS [EXT]]\n");
        return 2;
    }
    const std::string plugin = argv[1];
    const std::string folder = argv[2];
    const int rounds = argc > 3 ? std::max(1, atoi(argv[3])) : 3;
    const std::string extension = argc > 4 ? argv[4] : "jpg";
    const std::vector<std::string> files = PhotoFiles(folder, extension);
    if (files.empty())
        return 2;
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    thumbctl::cache::PluginModules plugins;
    if (extension != "jpg")
        return PluginOnly(plugins, plugin, folder, files, rounds);

    // Warm up both paths and the file cache.
    DecodeResult warmOle = thumbctl::cache::DecodeWithOle(files[0]);
    DecodeResult warmPlugin = thumbctl::cache::DecodeWithPlugin(plugins, plugin, files[0]);
    const SIZE a = Decoded(warmOle);
    const SIZE b = Decoded(warmPlugin);
    if (a.cx == 0 || a.cx != b.cx || a.cy != b.cy) {
        fprintf(stderr, "the paths disagree on %s: %ldx%ld vs %ldx%ld\n", files[0].c_str(), a.cx, a.cy, b.cx,
                b.cy);
        return 1;
    }

    std::vector<double> ole, viaPlugin;
    for (int round = 0; round < rounds; ++round) {
        for (const std::string& path : files) {
            double t0 = NowMs();
            DecodeResult o = thumbctl::cache::DecodeWithOle(path);
            const SIZE os = Decoded(o);
            o.picture.reset();
            const double oleMs = NowMs() - t0;
            t0 = NowMs();
            DecodeResult p = thumbctl::cache::DecodeWithPlugin(plugins, plugin, path);
            const SIZE ps = Decoded(p);
            p.picture.reset();
            const double pluginMs = NowMs() - t0;
            if (os.cx == 0 || ps.cx == 0) {
                fprintf(stderr, "decode failed: %s (ole %ldx%ld, plugin %ldx%ld)\n", path.c_str(), os.cx,
                        os.cy, ps.cx, ps.cy);
                return 1;
            }
            ole.push_back(oleMs);
            viaPlugin.push_back(pluginMs);
            printf("file %s round %d ole_ms %.1f plugin_ms %.1f size %ldx%ld\n",
                   path.c_str() + folder.size() + 1, round + 1, oleMs, pluginMs, ps.cx, ps.cy);
        }
    }
    const double oleMedian = Median(ole);
    const double pluginMedian = Median(viaPlugin);
    printf("summary decodes %zu ole_median_ms %.1f plugin_median_ms %.1f plugin_over_ole %.3f\n", ole.size(),
           oleMedian, pluginMedian, oleMedian > 0 ? pluginMedian / oleMedian : 0.0);
    return 0;
}

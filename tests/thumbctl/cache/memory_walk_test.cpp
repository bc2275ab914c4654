// Large photos through one window with the largest cache the sorter allows:
// the memory budget keeps the decoded pictures, and so the process, bounded
// while every picture still arrives.
#include <objbase.h>

#include <gtest/gtest.h>

#include <cstdio>

#include "tests/thumbctl/cache/cache_test_support.h"
#include "tests/thumbctl/cache/photo_walk.h"
#include "tests/support/test_files.h"
#include "thumbctl/server/library_settings.h"

namespace thumbctl::cache {
namespace {

constexpr int kWidth = 6000;  // 24 megapixels
constexpr int kHeight = 4000;
constexpr int kCount = 200;
constexpr uint64_t kMiB = uint64_t{1} << 20;

TEST(MemoryWalkTest, TwoHundredPhotosOf24MegapixelsStayWithinTheBudget)
{
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    InstallSettings(LibrarySettings());
    const uint64_t budget = CurrentSettings().MemoryBudgetBytes();
    ASSERT_EQ(uint64_t{kDefaultMemoryBudgetMiB} * kMiB, budget);

    testing_support::TestFiles files;
    const std::string photo = cache_test::GradientJpeg(kWidth, kHeight);
    ASSERT_FALSE(photo.empty());
    std::vector<std::string> paths;
    paths.push_back(files.AddFile("photo000.jpg", photo));
    for (int i = 1; i < kCount; ++i) {
        char name[32];
        wsprintfA(name, "photo%03d.jpg", i);
        paths.push_back(files.Path(name));
        ASSERT_TRUE(CopyFileA(paths[0].c_str(), paths.back().c_str(), FALSE));
    }

    cache_test::WalkResult walk;
    {
        PictureCacheEngine engine(94, 64);  // without the budget: 65 pictures, over 6 GB
        cache_test::ReadyWindow window;
        walk = cache_test::WalkPhotos(engine, window.Handle(), paths, kWidth, kHeight, 30000);
    }
    const uint64_t picture = uint64_t{kWidth} * kHeight * 4;
    EXPECT_EQ(kCount, walk.arrived);
    EXPECT_LE(walk.maxHeld, budget + picture);
    // The budget, the picture being decoded with the decoder's own copy, and
    // what the process needs besides.
    EXPECT_LT(walk.peakMemory, budget + 3 * picture + 128 * kMiB);
    RecordProperty("peak_working_set_mib", static_cast<int>(walk.peakMemory / kMiB));
    std::printf("peak working set %llu MiB, most held %llu MiB, %.1f s\n",
                static_cast<unsigned long long>(walk.peakMemory / kMiB),
                static_cast<unsigned long long>(walk.maxHeld / kMiB), walk.seconds);
    CoUninitialize();
}

}  // namespace
}  // namespace thumbctl::cache

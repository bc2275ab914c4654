// Large photos through one window with the largest cache the sorter allows: the memory
// budget keeps the process bounded while every picture still arrives.
#include <gtest/gtest.h>

#include "framework/com/com_ptr.h"
#include "tests/support/test_files.h"
#include "tests/thumbctl/cache/photo_walk.h"
#include "thumbctl/server/library_settings.h"

namespace thumbctl::cache {
namespace {

TEST(MemoryWalkTest, TwoHundredPhotosOf24MegapixelsStayWithinTheBudget)
{
    constexpr int kWidth = 6000, kHeight = 4000, kCount = 200;
    fw::com::CoInitScope com(COINIT_APARTMENTTHREADED);
    InstallSettings(LibrarySettings());
    const uint64_t budget = CurrentSettings().MemoryBudgetBytes(), picture = uint64_t{kWidth} * kHeight * 4;
    testing_support::TestFiles files;
    std::vector<std::string> paths{files.AddFile("photo0.jpg", cache_test::GradientJpeg(kWidth, kHeight))};
    for (int i = 1; i < kCount; ++i) {
        paths.push_back(files.Path("photo" + std::to_string(i) + ".jpg"));
        ASSERT_TRUE(CopyFileA(paths[0].c_str(), paths.back().c_str(), FALSE));
    }
    cache_test::WalkResult walk;
    {
        PictureCacheEngine engine(94, 64);  // without the budget: 65 pictures, over 6 GB
        cache_test::ReadyWindow window;
        walk = cache_test::WalkPhotos(engine, window.Handle(), paths, kWidth, kHeight, 30000);
    }
    EXPECT_EQ(kCount, walk.arrived);
    EXPECT_LE(walk.maxHeld, budget + picture);
    // The budget, the picture being decoded with the decoder's own copy, and what the
    // process needs besides.
    EXPECT_LT(walk.peakMemory, budget + 3 * picture + (uint64_t{128} << 20));
}

}  // namespace
}  // namespace thumbctl::cache

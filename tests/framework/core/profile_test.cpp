#include <gtest/gtest.h>

#include <memory>

#include "tests/support/memory_profile.h"
#include "tests/support/test_files.h"

#ifdef _WIN32
#include "framework/win/ini_profile.h"
#endif

namespace {

// The same expectations hold for the in-memory profile and the INI file.
class ProfileTest : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override
    {
        if (!GetParam()) {
            profile_ = std::make_unique<testing_support::MemoryProfile>();
            return;
        }
#ifdef _WIN32
        profile_ = std::make_unique<fw::IniProfile>(files_.Path("prog.ini"));
#else
        GTEST_SKIP() << "INI files need Win32";
#endif
    }

    testing_support::TestFiles files_;
    std::unique_ptr<fw::Profile> profile_;
};

TEST_P(ProfileTest, MissingKeysYieldTheDefaultOfEachRead)
{
    EXPECT_EQ(48, profile_->GetInt("CACHE", "CACHESIZE", 48));
    EXPECT_EQ(-7, profile_->GetInt("CACHE", "CACHESIZE", -7));
    EXPECT_EQ("NAME03", profile_->GetString("LAYOUT", "NAME03", "NAME03"));
}

TEST_P(ProfileTest, IntegersRoundTripAsSignedDecimal)
{
    ASSERT_TRUE(profile_->WriteInt("ALLIGN_DEFAULT", "W07left", -1234));
    EXPECT_EQ(-1234, profile_->GetInt("ALLIGN_DEFAULT", "W07left", 0));
    EXPECT_EQ("-1234", profile_->GetString("ALLIGN_DEFAULT", "W07left", ""));
    ASSERT_TRUE(profile_->WriteString("LAYOUT", "NAME00", "x\x95\x5Cy"));
    EXPECT_EQ("x\x95\x5Cy", profile_->GetString("layout", "name00", ""));  // names ignore case
    ASSERT_TRUE(profile_->WriteString("CACHE", "CACHEOUT", "  12abc"));
    EXPECT_EQ(12, profile_->GetInt("CACHE", "CACHEOUT", 0));
}

INSTANTIATE_TEST_SUITE_P(Backends, ProfileTest, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "IniFile" : "Memory"; });

TEST(ProfileInt, ParsesLikeTheProfileFunctions)
{
    EXPECT_EQ(0, fw::ParseProfileInt(""));
    EXPECT_EQ(0, fw::ParseProfileInt("abc"));
    EXPECT_EQ(-5, fw::ParseProfileInt(" -5x"));
    EXPECT_EQ(7, fw::ParseProfileInt("+7"));
}

}  // namespace

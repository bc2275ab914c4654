#include <gtest/gtest.h>

#include "framework/core/profile.h"

namespace {

TEST(ProfileInt, ParsesLikeTheProfileFunctions)
{
    const std::pair<const char*, int> cases[] = {{"", 0},      {"abc", 0}, {" \t-5x", -5},
                                                 {"+7", 7},    {"-", 0},   {"4294967295", -1},
                                                 {"12 3", 12}, {"0", 0},   {"-2147483648", INT32_MIN}};
    for (const auto& [text, value] : cases)
        EXPECT_EQ(value, fw::ParseProfileInt(text)) << text;
}

}  // namespace

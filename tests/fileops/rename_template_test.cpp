#include <gtest/gtest.h>

#include <climits>

#include "fileops/rename_template.h"

namespace {

using fileops::ExpandTemplate;
using fileops::LocalTime;

const LocalTime kTime{2001, 12, 3, 15, 45, 2};

// Double-byte characters whose trail bytes are "\" and "|", and a full-width digit.
const std::string kHyo = "\x95\x5C";    // 表
const std::string kPo = "\x83\x7C";     // ポ
const std::string kWide1 = "\x82\x50";  // １

TEST(RenameTemplate, ExpandsEveryCode)
{
    const struct {
        std::string pattern;
        int32_t counter;
        std::string name, expected;
    } cases[] = {
        {"%w%3:1c.%ie", 4, "IMG_0012.JPG", "IMG_005.jpg"},
        {"%Y%M%D_%h%m%s.%e", 0, "a.bmp", "20011203_154502.bmp"},
        {"%w%4n.%e", 0, "photo12b.jpg", "photo0012.jpg"},
        {"%w%:10n", 0, "x7.gif", "x17"},
        {"%of", 0, "abc.gif", "ABC"},
        {"100%%_%f", 0, "a.png", "100%_a"},
        {"%F-%W-%E-%C-%N", 3, "ab12cd34.x", "ab12cd34-ab-x-3-12"},
        {"[%f][%e]", 0, ".abc", "[.abc][]"},
        {"[%f][%e]", 0, "a.b.c", "[a.b][c]"},
        {"%w|%n|%5:3n", 0, "abc.jpg", "abc|0|00003"},
        {"%c|%0c|%3c|%3c", 1234, "a", "1234|1234|1234|1234"},
        {"%5c|%c|%:2c", -12, "a", "-0012|-12|-10"},
        {"%c", INT_MAX, "a", "2147483647"},
        {"%:1c", INT_MAX, "a", "2147483648"},
        {"%ydHS%x%-1c", 0, "a", "ydHSx-1c"},
        {"%if%oe", 0, "MiXeD.jpg", "mixedJPG"},
        {"a%", 0, "x", "a"},
        {"a%12:", 0, "x", "a"},
        {"a%3:4i", 0, "x", "a"},
        {"%99999999999999999999999n", 0, "x1", std::string(259, '0')},
        {"%n", 0, "n99999999999999999999999", "999999999999999999"},
        // Double-byte characters are copied whole and never split by the searches.
        {"%f.%e", 0, kHyo + ".jpg", kHyo + ".jpg"},
        {"%w_%n", 0, "a" + kWide1 + "5b", "a" + kWide1 + "_5"},
        {"%of" + kPo, 0, "a" + kPo + ".x", "A" + kPo + kPo},
        {"%" + kHyo, 0, "a", kHyo},
        {"[%f][%e]", 0, kHyo + ".b\x95", "[" + kHyo + "][b\x95]"},  // a lone lead byte at the end
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.expected, ExpandTemplate(c.name, c.pattern, kTime, c.counter, fw::CodePage932()))
            << c.pattern << " on " << c.name;
    EXPECT_EQ("0000-00-00 00.00.00",
              ExpandTemplate("a", "%Y-%M-%D %h.%m.%s", LocalTime(), 0));  // time unknown
}

TEST(RenameTemplate, StopsBeforeTheFirstCharacterThatDoesNotFit)
{
    const struct {
        std::string pattern, name;
        size_t limit;
        std::string expected;
    } cases[] = {
        {"%f", std::string(300, 'a'), fileops::kMaxPathBytes, std::string(259, 'a')},
        {"%f.%e", "abc.def", 5, "abc.d"},
        {"ab" + kHyo + "c", "x", 3, "ab"},  // no half character, and nothing after it
        {"%f" + kHyo, "abcd", 5, "abcd"},
        {"%10c", "x", 4, "0000"},
        {"x%3c", "x", 3, "x00"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.expected, ExpandTemplate(c.name, c.pattern, kTime, 0, fw::CodePage932(), c.limit))
            << c.pattern << " limit " << c.limit;
}

}  // namespace

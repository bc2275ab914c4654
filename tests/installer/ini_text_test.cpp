// Reading INI text by the private-profile rules, and writing it back.
#include <gtest/gtest.h>

#include "installer/ini_text.h"

namespace {

using installer::IniText;

struct ReadCase {
    const char* name;
    std::string text;
    const char* section;
    const char* key;
    const char* expected;  // null: not found (the default comes back)
};

const ReadCase kReads[] = {
    {"plain", "[A]\r\nk=v\r\n", "A", "k", "v"},
    {"names ignore case", "[Window]\nTitle=t\n", "WINDOW", "TITLE", "t"},
    {"blanks around everything", "  [ A ]  \n\t k \t=\t v w \t\n", "A", "k", "v w"},
    {"double quotes dropped", "[A]\nk=\" v \"\n", "A", "k", " v "},
    {"single quotes dropped", "[A]\nk='v'\n", "A", "k", "v"},
    {"unmatched quotes kept", "[A]\nk=\"v'\n", "A", "k", "\"v'"},
    {"lone CR ends a line", "[A]\rk=v\rj=w", "A", "j", "w"},
    {"value keeps later equals signs", "[A]\nk=a=b\n", "A", "k", "a=b"},
    {"no equals sign: empty value", "[A]\nk\n", "A", "k", ""},
    {"comment line", "[A]\n;k=v\n", "A", ";k", nullptr},
    {"key before any section", "k=v\n[A]\n", "A", "k", nullptr},
    {"text after the bracket ignored", "[A] x\nk=v\n", "A", "k", "v"},
    {"header without bracket", "[A\nk=v\n", "A", "k", "v"},
    {"repeated section continues the first", "[A]\nk=1\n[B]\n[a]\nj=2\n", "A", "j", "2"},
    {"first of repeated keys wins", "[A]\nk=1\nK=2\n", "A", "k", "1"},
    {"NUL ends the text", std::string("[A]\nk=v\0\nj=w\n", 13), "A", "j", nullptr},
    {"byte order mark skipped", "\xEF\xBB\xBF[A]\nk=v\n", "A", "k", "v"},
    {"trail byte 0x5D is not a bracket", "[\x83\x5D]\nk=v\n", "\x83\x5D", "k", "v"},
    {"missing section", "[A]\nk=v\n", "B", "k", nullptr},
    {"empty text", "", "A", "k", nullptr},
};

TEST(IniText, ReadsByTheProfileRules)
{
    for (const ReadCase& c : kReads) {
        SCOPED_TRACE(c.name);
        IniText ini(c.text);
        EXPECT_EQ(ini.GetString(c.section, c.key, "<default>"), c.expected ? c.expected : "<default>");
    }
}

TEST(IniText, IntegersGiveTheDefaultOnlyWhenMissingOrEmpty)
{
    IniText ini("[A]\nempty=\nword=abc\nlead= 12x\nneg=-3\nwrap=4294967297\nhex=0x10\n");
    const std::pair<const char*, int> cases[] = {{"missing", 7}, {"empty", 7}, {"word", 0}, {"lead", 12},
                                                 {"neg", -3},    {"wrap", 1},  {"hex", 0}};
    for (const auto& [key, expected] : cases)
        EXPECT_EQ(ini.GetInt("A", key, 7), expected) << key;
}

TEST(IniText, WritesReplaceOrAppendAndRenderAsTheWriteFunctionsDo)
{
    IniText ini("; comment\n[A]\nk=1\n[B]\n");
    ini.WriteString("a", "K", "2");
    ini.WriteInt("B", "n", -5);
    ini.WriteString("C", "x", "y z");
    EXPECT_EQ(ini.Text(), "[A]\r\nk=2\r\n[B]\r\nn=-5\r\n[C]\r\nx=y z\r\n");
    EXPECT_TRUE(ini.HasSection("b"));
    EXPECT_TRUE(ini.HasKey("c", "X"));
    EXPECT_EQ(IniText(ini.Text()).Text(), ini.Text());
}

TEST(IniText, LimitNeverSplitsADoubleByteCharacter)
{
    EXPECT_EQ(installer::LimitText("abc", 3), "abc");
    EXPECT_EQ(installer::LimitText("abcd", 3), "abc");
    EXPECT_EQ(installer::LimitText("ab\x82\xa0", 3), "ab");
    EXPECT_EQ(installer::LimitText("a\x82\xa0z", 3), "a\x82\xa0");
}

}  // namespace

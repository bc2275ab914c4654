// Library settings: reading the file, the decoder choice and the filter text.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/core/codepage.h"
#include "thumbctl/server/library_settings.h"

namespace thumbctl::cache {
namespace {

const fw::CodePage& Cp()
{
    return fw::CodePage932();
}

LibrarySettings Parse(const std::string& text)
{
    return LibrarySettings::Parse(text, Cp());
}

struct NumberCase {
    const char* name;
    std::string file;
    long cacheSize;
    long bufferingSize;
    long budgetMiB = kDefaultMemoryBudgetMiB;
};

TEST(LibrarySettingsTest, ReadsTheNumbersOnlyAsExactLowerCaseKeys)
{
    const NumberCase cases[] = {
        {"empty file", "", 8, 2},
        {"both set", "cachesize=20\nbufferingsize=5\n", 20, 5},
        {"CRLF lines", "cachesize=20\r\nbufferingsize=5\r\n", 20, 5},
        {"last line without line feed", "cachesize=31", 31, 2},
        {"other case is no setting", "CacheSize=20\nBUFFERINGSIZE=9\n", 8, 2},
        {"indented key matches nothing", "  cachesize=20\n\tbufferingsize=9\n", 8, 2},
        {"blanks before '=' are cut", "cachesize \t=20\n", 20, 2},
        {"blanks after '=' are skipped", "cachesize=  \t20\n", 20, 2},
        {"leading digits only", "cachesize=12abc\n", 12, 2},
        {"not a number is 0", "cachesize=abc\nbufferingsize=\n", 0, 0},
        {"sign is read", "cachesize=-3\nbufferingsize=+4\n", -3, 4},
        {"later record wins", "cachesize=3\ncachesize=4\n", 4, 2},
        {"comments are skipped", ";cachesize=3\n  'cachesize=4\n\t;bufferingsize=1\n", 8, 2},
        {"line without '=' uses no record", "cachesize\nbufferingsize 7\n", 8, 2},
        {"Ctrl+Z ends a text-mode file",
         "cachesize=3\n\x1A"
         "cachesize=4\n",
         3, 2},
        {"NUL ends a line",
         std::string("cachesize=3\0"
                     "9\n",
                     14),
         3, 2},
        {"saturates like strtol", "cachesize=99999999999\n", 2147483647, 2},
        {"memory budget in MiB", "memorybudget=4096\n", 8, 2, 4096},
        {"no budget", "memorybudget=0\n", 8, 2, 0},
        {"a negative budget is none", "memorybudget=-5\n", 8, 2, 0},
        {"other case is no budget", "MemoryBudget=300\n", 8, 2, kDefaultMemoryBudgetMiB},
    };
    for (const NumberCase& c : cases) {
        SCOPED_TRACE(c.name);
        LibrarySettings s = Parse(c.file);
        EXPECT_EQ(c.cacheSize, s.CacheSize());
        EXPECT_EQ(c.bufferingSize, s.BufferingSize());
        EXPECT_EQ(uint64_t(c.budgetMiB) << 20, s.MemoryBudgetBytes());
    }
}

TEST(LibrarySettingsTest, MemoryBudgetNeitherFiltersNorMaps)
{
    LibrarySettings s = Parse("memorybudget=300\nMemoryBudget=x.spi\npng=p.spi\n");
    EXPECT_EQ("*.jpeg;*.jpg;*.gif;*.bmp;*.png", s.FilterText());
    EXPECT_FALSE(s.DecoderFor("C:\\a.memorybudget", Cp()).plugin);
    EXPECT_FALSE(s.DecoderFor("C:\\a.MEMORYBUDGET", Cp()).plugin);
}

TEST(LibrarySettingsTest, RecordsKeepIndentedKeysAndTrailingBlanksOfValues)
{
    LibrarySettings s = Parse("  png = x.spi  \nk=\n=v\n");
    ASSERT_EQ(3u, s.RecordCount());
    EXPECT_EQ("  png", s.Record(0).key);
    EXPECT_EQ("x.spi  ", s.Record(0).value);
    EXPECT_EQ("k", s.Record(1).key);
    EXPECT_EQ("", s.Record(1).value);
    EXPECT_EQ("", s.Record(2).key);
    EXPECT_EQ("v", s.Record(2).value);
}

TEST(LibrarySettingsTest, KeepsOnlyTheFirst32Records)
{
    std::string file;
    for (int i = 0; i < 32; ++i)
        file += "e" + std::to_string(i) + "=p" + std::to_string(i) + ".spi\n";
    file += "cachesize=40\n";
    LibrarySettings s = Parse("no equals sign\n; comment=1\n" + file);
    EXPECT_EQ(32u, s.RecordCount());
    EXPECT_EQ("e31", s.Record(31).key);
    EXPECT_EQ(8, s.CacheSize());
}

TEST(LibrarySettingsTest, LongLinesArriveAsSeveralLines)
{
    // fgets with 260 bytes: 259 bytes, then the rest as a line of its own.
    std::string first = "k=" + std::string(257, 'x');
    LibrarySettings s = Parse(first + "z=1\n" + std::string(300, 'y') + "\n");
    ASSERT_EQ(2u, s.RecordCount());
    EXPECT_EQ(std::string(257, 'x'), s.Record(0).value);
    EXPECT_EQ("z", s.Record(1).key);
    EXPECT_EQ("1", s.Record(1).value);
}

TEST(LibrarySettingsTest, KeysLongerThan31BytesAreCutWithoutSplittingCharacters)
{
    std::string key = std::string(30, 'a') + "\x95\x5C" + "bb";
    LibrarySettings s = Parse(key + "=v\n" + std::string(40, 'c') + "=w\n");
    ASSERT_EQ(2u, s.RecordCount());
    EXPECT_EQ(std::string(30, 'a'), s.Record(0).key);
    EXPECT_EQ(std::string(31, 'c'), s.Record(1).key);
}

struct DecoderCase {
    const char* path;
    bool plugin;
    const char* pluginPath;
};

TEST(LibrarySettingsTest, ChoosesTheDecoderByExtensionIgnoringCase)
{
    LibrarySettings s = Parse(
        "png=C:\\Plugins\\ifpng.spi\nJPG=\njpeg=C:\\Plugins\\ifjpeg.spi\n  tif=x.spi\n"
        "\x95\x5C=C:\\Plugins\\sjis.spi\n");
    const DecoderCase cases[] = {
        {"C:\\pics\\a.png", true, "C:\\Plugins\\ifpng.spi"},
        {"C:\\pics\\photo.PNG", true, "C:\\Plugins\\ifpng.spi"},
        {"C:\\pics\\a.Jpeg", true, "C:\\Plugins\\ifjpeg.spi"},
        {"C:\\pics\\a.jpg", false, ""},
        {"C:\\pics\\a.gif", false, ""},
        {"C:\\pics\\a.tif", false, ""},  // the key is "  tif"
        {"C:\\pics\\noext", false, ""},
        {"C:\\pics.png\\noext", false, ""},
        {"C:\\pics\\a.png.bmp", false, ""},
        {"C:\\pics\\f.\x95\x5C", true, "C:\\Plugins\\sjis.spi"},  // trail byte 0x5C is no separator
        {"png", false, ""},
        {".png", true, "C:\\Plugins\\ifpng.spi"},
        {"", false, ""},
    };
    for (const DecoderCase& c : cases) {
        SCOPED_TRACE(c.path);
        DecoderChoice choice = s.DecoderFor(c.path, Cp());
        EXPECT_EQ(c.plugin, choice.plugin);
        EXPECT_EQ(c.pluginPath, choice.pluginPath);
    }
}

TEST(LibrarySettingsTest, AJpgPluginChangesTheDecoderButNotTheFilter)
{
    LibrarySettings s = Parse("jpg=C:\\Plugins\\ifjpg.spi\n");
    EXPECT_TRUE(s.DecoderFor("C:\\a.JPG", Cp()).plugin);
    EXPECT_EQ("*.jpeg;*.jpg;*.gif;*.bmp", s.FilterText());
}

struct FilterCase {
    const char* name;
    std::string file;
    std::string filter;
};

TEST(LibrarySettingsTest, FilterTextAddsExtensionKeysInOrder)
{
    const FilterCase cases[] = {
        {"no file", "", "*.jpeg;*.jpg;*.gif;*.bmp"},
        {"example", "cachesize=20\npng=C:\\Plugins\\ifpng.spi\nJPG=\n", "*.jpeg;*.jpg;*.gif;*.bmp;*.png"},
        {"reserved keys in any case",
         "Filter=1\nCACHESIZE=2\nBufferingSize=3\nGif=\nBMP=\njpeg=x\ntga=t.spi\n",
         "*.jpeg;*.jpg;*.gif;*.bmp;*.tga"},
        {"empty keys are left out", "=x.spi\npng=\n", "*.jpeg;*.jpg;*.gif;*.bmp;*.png"},
        {"indented keys stay as they are", "  pic=a\n", "*.jpeg;*.jpg;*.gif;*.bmp;*.  pic"},
    };
    for (const FilterCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.filter, Parse(c.file).FilterText());
    }
}

TEST(LibrarySettingsTest, FilterTextLongerThan259BytesEndsWithAWholePattern)
{
    std::string file;
    std::string expected = "*.jpeg;*.jpg;*.gif;*.bmp";
    for (int i = 0; i < 10; ++i) {
        std::string key = std::string(27, static_cast<char>('a' + i)) + "\x95\x5C";
        file += key + "=p.spi\n";
        if (expected.size() + 3 + key.size() <= 259)
            expected += ";*." + key;
    }
    std::string filter = Parse(file).FilterText();
    EXPECT_EQ(expected, filter);
    EXPECT_LE(filter.size(), 259u);
    EXPECT_GT(filter.size(), 200u);
}

struct PathCase {
    const char* module;
    const char* settings;
};

TEST(LibrarySettingsTest, SettingsFileSitsBesideTheModule)
{
    const PathCase cases[] = {
        {"C:\\Lib\\VelmoraThumbCtl.DLL", "C:\\Lib\\VelmoraThumbCtl.ini"},
        {"C:\\Lib\\a.b.dll", "C:\\Lib\\a.b.ini"},
        {"C:\\Lib.d\\Velmora", "C:\\Lib.d\\Velmora.ini"},
        {"C:\\\x95\x5C.d\\lib", "C:\\\x95\x5C.d\\lib.ini"},
        {"C:\\a.b\x95\x5C", "C:\\a.ini"},
        {"C:\\x\\\x95\x5C", "C:\\x\\\x95\x5C.ini"},
        {".dll", ".dll.ini"},
        {"", ".ini"},
    };
    for (const PathCase& c : cases) {
        SCOPED_TRACE(c.module);
        EXPECT_EQ(c.settings, SettingsPathFor(c.module, Cp()));
    }
}

}  // namespace
}  // namespace thumbctl::cache

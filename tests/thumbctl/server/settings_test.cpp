// Library settings: reading the file, the decoder choice and the filter text.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "framework/core/codepage.h"
#include "thumbctl/server/library_settings.h"

namespace thumbctl::cache {
namespace {

using Pairs = std::vector<std::pair<std::string, std::string>>;

const fw::CodePage& Cp()
{
    return fw::CodePage932();
}

LibrarySettings Parse(const std::string& text)
{
    return LibrarySettings::Parse(text, Cp());
}

TEST(LibrarySettingsTest, ReadsTheNumbersOnlyAsExactLowerCaseKeys)
{
    const struct {
        const char* name;
        std::string file;
        long cacheSize, bufferingSize, budgetMiB = kDefaultMemoryBudgetMiB;
    } cases[] = {
        // clang-format off
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
        {"Ctrl+Z ends a text-mode file", "cachesize=3\n\x1A" "cachesize=4\n", 3, 2},
        {"NUL ends a line", std::string("cachesize=3\0" "9\n", 14), 3, 2},
        {"saturates like strtol", "cachesize=99999999999\n", 2147483647, 2},
        {"memory budget in MiB", "memorybudget=4096\n", 8, 2, 4096},
        {"no budget", "memorybudget=0\n", 8, 2, 0},
        {"a negative budget is none", "memorybudget=-5\n", 8, 2, 0},
        {"other case is no budget", "MemoryBudget=300\n", 8, 2, kDefaultMemoryBudgetMiB},
        // clang-format on
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        LibrarySettings s = Parse(c.file);
        EXPECT_EQ(c.cacheSize, s.CacheSize());
        EXPECT_EQ(c.bufferingSize, s.BufferingSize());
        EXPECT_EQ(uint64_t(c.budgetMiB) << 20, s.MemoryBudgetBytes());
    }
}

TEST(LibrarySettingsTest, RecordsAsTheReaderKeepsThem)
{
    Pairs numbered;
    std::string file = "no equals sign\n; comment=1\n";
    for (int i = 0; i < 32; ++i) {
        numbered.push_back({"e" + std::to_string(i), "p.spi"});
        file += "e" + std::to_string(i) + "=p.spi\n";
    }
    const struct {
        const char* name;
        std::string file;
        Pairs records;
    } cases[] = {
        {"indented keys and trailing blanks of values stay",
         "  png = x.spi  \nk=\n=v\n",
         {{"  png", "x.spi  "}, {"k", ""}, {"", "v"}}},
        {"fgets splits lines of 259 bytes",
         "k=" + std::string(257, 'x') + "z=1\n" + std::string(300, 'y') + "\n",
         {{"k", std::string(257, 'x')}, {"z", "1"}}},
        {"keys are cut to 31 bytes without splitting characters",
         std::string(30, 'a') + "\x95\x5C" + "bb=v\n" + std::string(40, 'c') + "=w\n",
         {{std::string(30, 'a'), "v"}, {std::string(31, 'c'), "w"}}},
        {"only the first 32 records; comments and lines without '=' are none", file + "cachesize=40\n",
         numbered},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        LibrarySettings s = Parse(c.file);
        Pairs records;
        for (size_t i = 0; i < s.RecordCount(); ++i)
            records.push_back({s.Record(i).key, s.Record(i).value});
        EXPECT_EQ(c.records, records);
        EXPECT_EQ(8, s.CacheSize());
    }
}

TEST(LibrarySettingsTest, ChoosesTheDecoderByExtensionIgnoringCase)
{
    LibrarySettings s = Parse(
        "png=C:\\Plugins\\ifpng.spi\nJPG=\njpeg=C:\\Plugins\\ifjpeg.spi\n  tif=x.spi\n"
        "\x95\x5C=C:\\Plugins\\sjis.spi\nmemorybudget=300\nMemoryBudget=x.spi\n");
    const Pairs cases = {
        // clang-format off
        {"C:\\pics\\a.png", "C:\\Plugins\\ifpng.spi"}, {"C:\\pics\\photo.PNG", "C:\\Plugins\\ifpng.spi"},
        {"C:\\pics\\a.Jpeg", "C:\\Plugins\\ifjpeg.spi"}, {"C:\\pics\\a.jpg", ""}, {"C:\\pics\\a.gif", ""},
        {"C:\\pics\\a.tif", ""},  // the key is "  tif"
        {"C:\\pics\\noext", ""}, {"C:\\pics.png\\noext", ""}, {"C:\\pics\\a.png.bmp", ""},
        {"C:\\pics\\f.\x95\x5C", "C:\\Plugins\\sjis.spi"},  // trail byte 0x5C is no separator
        {"png", ""}, {".png", "C:\\Plugins\\ifpng.spi"}, {"", ""},
        {"C:\\a.memorybudget", ""}, {"C:\\a.MEMORYBUDGET", ""},  // the budget is no extension
        // clang-format on
    };
    for (const auto& [path, plugin] : cases) {
        SCOPED_TRACE(path);
        DecoderChoice choice = s.DecoderFor(path, Cp());
        EXPECT_EQ(!plugin.empty(), choice.plugin);
        EXPECT_EQ(plugin, choice.pluginPath);
    }
}

TEST(LibrarySettingsTest, FilterTextAddsExtensionKeysInOrderWhilePatternsFitWhole)
{
    // Ten keys of 29 bytes: seven patterns make 248 bytes; an eighth would pass 259.
    std::string tenKeys, sevenPatterns;
    for (char c = 'a'; c < 'k'; ++c) {
        const std::string key = std::string(27, c) + "\x95\x5C";
        tenKeys += key + "=p.spi\n";
        sevenPatterns += c < 'h' ? ";*." + key : "";
    }
    const Pairs cases = {
        // clang-format off
        {"", ""},
        {"cachesize=20\npng=C:\\Plugins\\ifpng.spi\nJPG=\n", ";*.png"},
        {"Filter=1\nCACHESIZE=2\nBufferingSize=3\nGif=\nBMP=\njpeg=x\ntga=t.spi\n", ";*.tga"},  // reserved
        {"=x.spi\npng=\n", ";*.png"},  // empty keys are left out
        {"  pic=a\n", ";*.  pic"},     // indented keys stay as they are
        {"memorybudget=300\nMemoryBudget=x.spi\npng=p\n", ";*.png"},
        {tenKeys, sevenPatterns},
        // clang-format on
    };
    for (const auto& [file, extra] : cases) {
        SCOPED_TRACE(file);
        EXPECT_EQ("*.jpeg;*.jpg;*.gif;*.bmp" + extra, Parse(file).FilterText());
    }
}

TEST(LibrarySettingsTest, SettingsFileSitsBesideTheModule)
{
    const Pairs cases = {
        // clang-format off
        {"C:\\Lib\\VelmoraThumbCtl.DLL", "C:\\Lib\\VelmoraThumbCtl.ini"},
        {"C:\\Lib\\a.b.dll", "C:\\Lib\\a.b.ini"}, {"C:\\Lib.d\\Velmora", "C:\\Lib.d\\Velmora.ini"},
        {"C:\\\x95\x5C.d\\lib", "C:\\\x95\x5C.d\\lib.ini"}, {"C:\\a.b\x95\x5C", "C:\\a.ini"},
        {"C:\\x\\\x95\x5C", "C:\\x\\\x95\x5C.ini"}, {".dll", ".dll.ini"}, {"", ".ini"},
        // clang-format on
    };
    for (const auto& [module, settings] : cases)
        EXPECT_EQ(settings, SettingsPathFor(module, Cp())) << module;
}

}  // namespace
}  // namespace thumbctl::cache

// Library settings: reading the file, the decoder choice and the filter text.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "framework/core/codepage.h"
#include "thumbctl/server/library_settings.h"

namespace thumbctl::cache {
namespace {

using Pairs = std::vector<std::pair<std::string, std::string>>;

LibrarySettings Parse(const std::string& text)
{
    return LibrarySettings::Parse(text, fw::CodePage932());
}

TEST(LibrarySettingsTest, ReadsTheNumbersOnlyAsExactLowerCaseKeys)
{
    const long kDefault = kDefaultMemoryBudgetMiB;
    const std::tuple<const char*, std::string, long, long, long> cases[] = {
        // clang-format off
        {"empty file", "", 8, 2, kDefault},
        {"both set", "cachesize=20\nbufferingsize=5\n", 20, 5, kDefault},
        {"CRLF lines", "cachesize=20\r\nbufferingsize=5\r\n", 20, 5, kDefault},
        {"last line without line feed", "cachesize=31", 31, 2, kDefault},
        {"other case is no setting", "CacheSize=20\nBUFFERINGSIZE=9\n", 8, 2, kDefault},
        {"indented key matches nothing", "  cachesize=20\n\tbufferingsize=9\n", 8, 2, kDefault},
        {"blanks before '=' are cut", "cachesize \t=20\n", 20, 2, kDefault},
        {"blanks after '=' are skipped", "cachesize=  \t20\n", 20, 2, kDefault},
        {"leading digits only", "cachesize=12abc\n", 12, 2, kDefault},
        {"not a number is 0", "cachesize=abc\nbufferingsize=\n", 0, 0, kDefault},
        {"sign is read", "cachesize=-3\nbufferingsize=+4\n", -3, 4, kDefault},
        {"later record wins", "cachesize=3\ncachesize=4\n", 4, 2, kDefault},
        {"comments are skipped", ";cachesize=3\n  'cachesize=4\n\t;bufferingsize=1\n", 8, 2, kDefault},
        {"line without '=' uses no record", "cachesize\nbufferingsize 7\n", 8, 2, kDefault},
        {"Ctrl+Z ends a text-mode file", "cachesize=3\n\x1A" "cachesize=4\n", 3, 2, kDefault},
        {"NUL ends a line", std::string("cachesize=3\0" "9\n", 14), 3, 2, kDefault},
        {"saturates like strtol", "cachesize=99999999999\n", 2147483647, 2, kDefault},
        {"memory budget in MiB", "memorybudget=4096\n", 8, 2, 4096},
        {"no budget", "memorybudget=0\n", 8, 2, 0},
        {"a negative budget is none", "memorybudget=-5\n", 8, 2, 0},
        {"other case is no budget", "MemoryBudget=300\n", 8, 2, kDefault},
        // clang-format on
    };
    for (const auto& [name, file, cacheSize, bufferingSize, budgetMiB] : cases) {
        SCOPED_TRACE(name);
        LibrarySettings s = Parse(file);
        EXPECT_EQ(cacheSize, s.CacheSize());
        EXPECT_EQ(bufferingSize, s.BufferingSize());
        EXPECT_EQ(uint64_t(budgetMiB) << 20, s.MemoryBudgetBytes());
    }
}

TEST(LibrarySettingsTest, RecordsAsTheReaderKeepsThem)
{
    Pairs numbered;
    std::string file = "no equals sign\n; comment=1\n";
    for (size_t i = 0; i < kRecordCount; ++i) {
        numbered.push_back({"e" + std::to_string(i), "p.spi"});
        file += "e" + std::to_string(i) + "=p.spi\n";
    }
    const std::string longLine = "k=" + std::string(257, 'x') + "z=1\n" + std::string(300, 'y') + "\n";
    const std::string longKeys = std::string(30, 'a') + "\x95\x5C" + "bb=v\n" + std::string(40, 'c') + "=w\n";
    const std::tuple<const char*, std::string, Pairs> cases[] = {
        // clang-format off
        {"indented keys, trailing blanks stay", "  png = x.spi  \nk=\n=v\n", {{"  png", "x.spi  "}, {"k", ""}, {"", "v"}}},
        {"fgets splits lines of 259 bytes", longLine, {{"k", std::string(257, 'x')}, {"z", "1"}}},
        {"keys cut to 31 bytes, characters whole", longKeys, {{std::string(30, 'a'), "v"}, {std::string(31, 'c'), "w"}}},
        {"the first records only; no comments or lines without '='", file + "cachesize=40\n", numbered},
        // clang-format on
    };
    for (const auto& [name, text, expected] : cases) {
        SCOPED_TRACE(name);
        LibrarySettings s = Parse(text);
        Pairs records;
        for (size_t i = 0; i < s.RecordCount(); ++i)
            records.push_back({s.Record(i).key, s.Record(i).value});
        EXPECT_EQ(expected, records);
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
        DecoderChoice choice = s.DecoderFor(path, fw::CodePage932());
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
        EXPECT_EQ(settings, SettingsPathFor(module, fw::CodePage932())) << module;
}

}  // namespace
}  // namespace thumbctl::cache

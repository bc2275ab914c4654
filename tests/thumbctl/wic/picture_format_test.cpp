// Which decoder a file's first bytes and name send it to.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <tuple>

#include "framework/core/codepage.h"
#include "thumbctl/server/library_settings.h"
#include "thumbctl/wic/picture_format.h"

namespace thumbctl::wic {
namespace {

std::string Ftyp(const std::string& major, const std::string& compatible)
{
    const std::string body = major + std::string(4, '\0') + compatible;
    return std::string("\0\0\0", 3) + static_cast<char>(8 + body.size()) + "ftyp" + body;
}

TEST(PictureFormatTest, FirstBytesDecideAndOnlyTiffLeansOnTheName)
{
    const std::string tiff("II*\0\x08\0\0\0", 8), bigTiff("MM\0*\0\0\0\x08", 8);
    const std::tuple<std::string, const char*, PictureFormat> cases[] = {
        // clang-format off
        {"\xFF\xD8\xFF\xE1", "photo.nef", PictureFormat::kJpeg},        // content wins over the name
        {std::string("RIFF\x10\0\0\0WEBPVP8 ", 16), "a.heic", PictureFormat::kWebp},
        {std::string("RIFF\x10\0\0\0AVI LIST", 16), "a.webp", PictureFormat::kOther},
        {Ftyp("heic", "mif1heic"), "", PictureFormat::kHeif},
        {Ftyp("mif1", "miafavif"), "", PictureFormat::kHeif},             // a compatible brand
        {Ftyp("avif", ""), "", PictureFormat::kHeif},
        {Ftyp("crx ", "isom"), "", PictureFormat::kRaw},                  // CR3
        {Ftyp("isom", "mp41"), "clip.heic", PictureFormat::kOther},       // a video
        {Ftyp("qt  ", "heic").substr(0, 16), "", PictureFormat::kOther},  // brands past the end are not read
        {tiff, "IMG_1.CR2", PictureFormat::kRaw},
        {bigTiff, "d.x\\y.nef", PictureFormat::kRaw},
        {tiff, "scan.tif", PictureFormat::kOther},
        {tiff, "raw.dng\\scan", PictureFormat::kOther},                   // a dot in a folder name
        {tiff, "", PictureFormat::kOther},
        {"IIII\x01\0\0\0", "back.iiq", PictureFormat::kRaw},
        {"FUJIFILMCCD-RAW 0201", "", PictureFormat::kRaw},
        {std::string("\0\0\0\0\0\0HEAPCCDR", 14), "", PictureFormat::kRaw},
        {std::string("\0MRM", 4), "", PictureFormat::kRaw},
        {"IIRO\x08\0\0\0", "", PictureFormat::kRaw},
        {std::string("IIU\0", 4), "", PictureFormat::kRaw},
        {"\x89PNG\r\n\x1A\n", "x.arw", PictureFormat::kOther},
        {"", "a.cr3", PictureFormat::kOther},
        // clang-format on
    };
    for (const auto& [bytes, name, format] : cases) {
        SCOPED_TRACE(testing::PrintToString(bytes) + " " + name);
        const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
        EXPECT_EQ(format, FormatOf(data, bytes.size(), name));
        // Every prefix is read within its bounds (the sanitizers check that).
        for (size_t n = 0; n < bytes.size(); ++n)
            FormatOf(data, n, name);
    }
}

TEST(PictureFormatTest, TheShippedSettingsSendEveryOwnFormatToThePluginAndTheFilterListsIt)
{
    std::ifstream file(SHIPPED_SETTINGS, std::ios::binary);
    const auto settings =
        LibrarySettings::Parse(std::string(std::istreambuf_iterator<char>(file), {}), fw::CodePage932());
    const std::string filter = settings.FilterText() + ";";
    const std::string extensions = std::string("webp;heic;heif;hif;avif;") + kRawExtensions + ";";
    int seen = 0;
    for (size_t at = 0, end; (end = extensions.find(';', at)) != std::string::npos; at = end + 1, ++seen) {
        const std::string extension = extensions.substr(at, end - at);
        SCOPED_TRACE(extension);
        EXPECT_EQ("VelmoraWic.spi", settings.DecoderFor("C:\\a." + extension, fw::CodePage932()).pluginPath);
        EXPECT_NE(std::string::npos, filter.find(";*." + extension + ";"));
    }
    EXPECT_EQ(27, seen);
}

}  // namespace
}  // namespace thumbctl::wic

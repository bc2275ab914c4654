#include "thumbctl/wic/picture_format.h"

#include <algorithm>
#include <cstring>

namespace thumbctl::wic {

const char kRawExtensions[] =
    "cr2;cr3;crw;nef;nrw;arw;srf;sr2;dng;orf;rw2;raf;pef;srw;x3f;3fr;iiq;erf;kdc;mrw;mos;rwl";

namespace {

bool At(const uint8_t* data, size_t size, size_t offset, std::string_view bytes)
{
    return size >= offset + bytes.size() && memcmp(data + offset, bytes.data(), bytes.size()) == 0;
}

// An ISO base media file starts with its "ftyp" box: a major brand, a version, then
// compatible brands up to the box's end.
PictureFormat IsoFormat(const uint8_t* data, size_t size)
{
    if (!At(data, size, 4, "ftyp") || size < 16)
        return PictureFormat::kOther;
    const size_t box = (size_t{data[0]} << 24) | (size_t{data[1]} << 16) | (size_t{data[2]} << 8) | data[3];
    const size_t end = box < 16 ? 16 : (box < size ? box : size);
    for (size_t at = 8; at + 4 <= end; at += at == 8 ? 8 : 4) {
        const std::string_view brand(reinterpret_cast<const char*>(data + at), 4);
        if (brand == "crx ")
            return PictureFormat::kRaw;
        for (std::string_view heif :
             {"heic", "heix", "heim", "heis", "hevc", "hevx", "mif1", "msf1", "avif", "avis", "miaf"})
            if (brand == heif)
                return PictureFormat::kHeif;
    }
    return PictureFormat::kOther;
}

// RAW files whose first bytes are their own.
bool IsRawSignature(const uint8_t* data, size_t size)
{
    return At(data, size, 0, "FUJIFILMCCD-RAW") || At(data, size, 6, "HEAPCCDR") ||
           At(data, size, 0, std::string_view("\0MRM", 4)) || At(data, size, 0, "FOVb") ||
           At(data, size, 0, "IIRO") || At(data, size, 0, "IIRS") || At(data, size, 0, "MMOR") ||
           At(data, size, 0, std::string_view("IIU\0", 4));
}

bool IsTiffLike(const uint8_t* data, size_t size)
{
    return At(data, size, 0, std::string_view("II*\0", 4)) ||
           At(data, size, 0, std::string_view("MM\0*", 4)) || At(data, size, 0, "IIII");
}

bool HasRawExtension(std::string_view path)
{
    const size_t dot = path.find_last_of('.');
    if (dot == std::string_view::npos || path.find_first_of("\\/", dot) != std::string_view::npos)
        return false;
    const std::string_view extension = path.substr(dot + 1);
    std::string_view list(kRawExtensions);
    while (!list.empty()) {
        const size_t end = std::min(list.find(';'), list.size());
        const std::string_view one = list.substr(0, end);
        bool same = one.size() == extension.size();
        for (size_t i = 0; same && i < one.size(); ++i)
            same = one[i] == (extension[i] >= 'A' && extension[i] <= 'Z' ? extension[i] + 32 : extension[i]);
        if (same)
            return true;
        list.remove_prefix(end == list.size() ? end : end + 1);
    }
    return false;
}

}  // namespace

PictureFormat FormatOf(const uint8_t* data, size_t size, std::string_view path)
{
    if (!data)
        return PictureFormat::kOther;
    if (At(data, size, 0, "\xFF\xD8\xFF"))
        return PictureFormat::kJpeg;
    if (At(data, size, 0, "RIFF") && At(data, size, 8, "WEBP"))
        return PictureFormat::kWebp;
    const PictureFormat iso = IsoFormat(data, size);
    if (iso != PictureFormat::kOther)
        return iso;
    if (IsRawSignature(data, size) || (IsTiffLike(data, size) && HasRawExtension(path)))
        return PictureFormat::kRaw;
    return PictureFormat::kOther;
}

bool IsOwnFormat(const uint8_t* data, size_t size)
{
    const PictureFormat format = FormatOf(data, size, {});
    return format == PictureFormat::kWebp || format == PictureFormat::kHeif || format == PictureFormat::kRaw;
}

}  // namespace thumbctl::wic

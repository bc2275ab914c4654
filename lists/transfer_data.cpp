#include "lists/transfer_data.h"

#include <cstring>

#include "framework/core/text.h"

namespace lists {

namespace {

void AppendLe32(std::string& out, uint32_t value)
{
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<char>((value >> shift) & 0xFF));
}

uint32_t ReadLe32(const unsigned char* p)
{
    return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}

size_t FileListBytes(const std::vector<std::string>& paths)
{
    size_t bytes = 1;
    for (const std::string& path : paths)
        bytes += path.size() + 1;
    return bytes;
}

void ParseAnsiList(const unsigned char* list, size_t size, std::vector<std::string>& names)
{
    size_t i = 0;
    while (i < size && list[i] != 0) {
        const void* end = std::memchr(list + i, 0, size - i);
        if (!end)
            return;  // cut off before its terminator
        const size_t length = static_cast<size_t>(static_cast<const unsigned char*>(end) - (list + i));
        if (length <= kMaxPathBytes)
            names.emplace_back(reinterpret_cast<const char*>(list + i), length);
        i += length + 1;
    }
}

void ParseWideList(const unsigned char* list, size_t size, const Utf16ToAnsi& narrow,
                   std::vector<std::string>& names)
{
    const size_t units = size / 2;
    std::u16string name;
    std::string ansi;
    for (size_t i = 0; i < units; ++i) {
        const char16_t unit = static_cast<char16_t>(list[2 * i] | list[2 * i + 1] << 8);
        if (unit != 0) {
            // Kept up to one unit past the limit, which marks the name as too long: no
            // code page turns a unit into less than a byte.
            if (name.size() <= kMaxPathBytes)
                name.push_back(unit);
            continue;
        }
        if (name.empty())
            return;
        if (name.size() <= kMaxPathBytes && narrow(name, ansi) && !ansi.empty() &&
            ansi.size() <= kMaxPathBytes && ansi.find('\0') == std::string::npos)
            names.push_back(ansi);
        name.clear();
    }
}

}  // namespace

std::u16string SystemAnsiToUtf16(std::string_view ansi)
{
    const std::wstring wide = fw::WidenAnsi(std::string(ansi));
    std::u16string units;
    units.reserve(wide.size());
    for (wchar_t c : wide) {
        const uint32_t code = static_cast<uint32_t>(c);
        if (code < 0x10000) {
            units.push_back(static_cast<char16_t>(code));
        } else {  // wchar_t of 32 bits: a surrogate pair
            units.push_back(static_cast<char16_t>(0xD800 + ((code - 0x10000) >> 10)));
            units.push_back(static_cast<char16_t>(0xDC00 + ((code - 0x10000) & 0x3FF)));
        }
    }
    return units;
}

bool SystemUtf16ToAnsi(std::u16string_view wide, std::string& ansi)
{
    // Code units as they are: UTF-16 where wchar_t has 16 bits; elsewhere the narrowing
    // refuses everything above one byte, surrogates included.
    return fw::TryNarrowAnsi(std::wstring(wide.begin(), wide.end()), ansi);
}

std::string FileList(const std::vector<std::string>& paths)
{
    std::string list;
    list.reserve(FileListBytes(paths));
    for (const std::string& path : paths) {
        list += path;
        list.push_back('\0');
    }
    list.push_back('\0');
    return list;
}

std::string HDropBlock(const std::vector<std::string>& paths, bool wide, const AnsiToUtf16& widen,
                       size_t reservedListBytes)
{
    const std::string ansi = FileList(paths);
    std::string list;
    if (wide) {
        const std::u16string units = widen(ansi);
        list.reserve(units.size() * 2);
        for (char16_t unit : units) {
            list.push_back(static_cast<char>(unit & 0xFF));
            list.push_back(static_cast<char>(unit >> 8));
        }
    } else {
        list = ansi;
    }
    const size_t listBytes = ansi.size() > reservedListBytes ? ansi.size() : reservedListBytes;
    std::string block;
    AppendLe32(block, static_cast<uint32_t>(kDropFilesHeaderBytes));  // pFiles
    AppendLe32(block, 0);                                             // pt.x
    AppendLe32(block, 0);                                             // pt.y
    AppendLe32(block, 0);                                             // fNC
    AppendLe32(block, wide ? 1 : 0);                                  // fWide
    block += list;
    const size_t total = kDropFilesHeaderBytes + 2 * listBytes;
    if (block.size() < total)
        block.resize(total, '\0');
    return block;
}

std::string TextBlock(const std::vector<std::string>& paths)
{
    std::string text;
    for (const std::string& path : paths) {
        text += path;
        text += "\r\n";
    }
    text.push_back('\0');
    return text;
}

std::string FileNameBlock(const std::string& path)
{
    std::string block = path;
    block.append(2, '\0');
    return block;
}

std::string DropEffectBlock(uint32_t effect)
{
    std::string block;
    AppendLe32(block, effect);
    return block;
}

bool ReadDropEffect(const void* data, size_t size, uint32_t& effect)
{
    if (!data || size < 4)
        return false;
    effect = ReadLe32(static_cast<const unsigned char*>(data));
    return true;
}

std::vector<std::string> ParseHDrop(const void* data, size_t size, const Utf16ToAnsi& narrow)
{
    std::vector<std::string> names;
    if (!data || size < kDropFilesHeaderBytes)
        return names;
    const auto* bytes = static_cast<const unsigned char*>(data);
    const uint32_t offset = ReadLe32(bytes);
    if (offset < kDropFilesHeaderBytes || offset >= size)
        return names;
    if (ReadLe32(bytes + 16) != 0)
        ParseWideList(bytes + offset, size - offset, narrow, names);
    else
        ParseAnsiList(bytes + offset, size - offset, names);
    return names;
}

std::vector<std::string> TransferPaths(const ListModel& list, TransferMode mode,
                                       const LoadCondition* condition, fw::FileSystem& fs)
{
    std::vector<std::string> paths;
    if (mode == TransferMode::CurrentEntry) {
        std::string path;
        if (list.GetCurrentPath(path))
            paths.push_back(std::move(path));
        return paths;
    }
    const fw::CodePage& codePage = list.Paths().Order().CodePage();
    for (const std::string& path : list.Paths())
        if (!condition || ConditionMatch(*condition, path, fs, codePage))
            paths.push_back(path);
    return paths;
}

bool BuildTransferData(const ListModel& list, TransferMode mode, const LoadCondition* condition,
                       fw::FileSystem& fs, bool wideNames, TransferData& data, const AnsiToUtf16& widen)
{
    std::vector<std::string> paths = TransferPaths(list, mode, condition, fs);
    if (paths.empty())
        return false;
    // The block is sized for the whole list even when a condition sends only part of it.
    const size_t reserved = mode == TransferMode::AllEntries ? FileListBytes(list.Paths().Paths()) : 0;
    TransferData built;
    built.fileName = mode == TransferMode::CurrentEntry ? FileNameBlock(paths.front()) : std::string();
    built.hdrop = HDropBlock(paths, wideNames, widen, reserved);
    built.text = TextBlock(paths);
    built.paths = std::move(paths);
    data = std::move(built);
    return true;
}

}  // namespace lists

#include "thumbctl/server/library_settings.h"

#include <climits>
#include <mutex>

#include "framework/core/ascii.h"
#include "framework/core/path.h"

namespace thumbctl {
namespace {

// Cuts `text` to at most `limit` bytes without splitting a double-byte character.
std::string CutToBytes(std::string_view text, size_t limit, const fw::CodePage& cp)
{
    size_t end = 0;
    while (end < text.size()) {
        size_t next = cp.Next(text.data(), end, text.size());
        if (next > limit)
            break;
        end = next;
    }
    return std::string(text.substr(0, end));
}

// Setting names and the default patterns never appear among the extra patterns.
constexpr std::string_view kReservedKeys[] = {"jpg",    "bmp",       "jpeg",          "gif",
                                              "filter", "cachesize", "bufferingsize", "memorybudget"};
// A setting that is never taken for an extension.
constexpr std::string_view kBudgetKey = "memorybudget";
constexpr std::string_view kDefaultFilter = "*.jpeg;*.jpg;*.gif;*.bmp";

}  // namespace

long AsciiToLong(std::string_view text)
{
    size_t i = 0;
    while (i < text.size() && fw::IsAsciiSpace(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    // The target's long is 32 bits; out-of-range values saturate like strtol.
    long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > static_cast<long long>(INT32_MAX) + 1)
            value = static_cast<long long>(INT32_MAX) + 1;
    }
    if (negative)
        value = -value;
    if (value > INT32_MAX)
        value = INT32_MAX;
    return static_cast<long>(value);
}

bool LibrarySettings::AcceptLine(std::string_view line, const fw::CodePage& cp)
{
    if (used_ >= kRecordCount)
        return false;
    // fgets hands over a C string: it ends at the first NUL, then at CR or LF.
    line = line.substr(0, line.find('\0'));
    line = line.substr(0, std::min(line.find('\r'), line.find('\n')));

    size_t start = 0;
    while (start < line.size() && fw::IsBlank(line[start]))
        ++start;
    if (start < line.size() && (line[start] == ';' || line[start] == '\''))
        return true;

    size_t eq = start;
    while (eq < line.size() && line[eq] != '=')
        eq = cp.Next(line.data(), eq, line.size());
    if (eq >= line.size())
        return true;

    // The key keeps its leading blanks (an indented key matches nothing).
    std::string_view key = line.substr(0, eq);
    while (!key.empty() && fw::IsBlank(key.back()))
        key.remove_suffix(1);
    std::string_view value = line.substr(eq + 1);
    while (!value.empty() && fw::IsBlank(value.front()))
        value.remove_prefix(1);

    SettingsRecord& record = records_[used_++];
    record.key = CutToBytes(key, kKeySize - 1, cp);
    record.value = CutToBytes(value, kValueSize - 1, cp);
    return used_ < kRecordCount;
}

void LibrarySettings::Finish()
{
    for (size_t i = 0; i < used_; ++i) {
        const SettingsRecord& r = records_[i];
        if (r.key == "cachesize")
            cacheSize_ = AsciiToLong(r.value);
        else if (r.key == "bufferingsize")
            bufferingSize_ = AsciiToLong(r.value);
        else if (r.key == kBudgetKey)
            memoryBudgetMiB_ = AsciiToLong(r.value);
    }
}

uint64_t LibrarySettings::MemoryBudgetBytes() const
{
    return memoryBudgetMiB_ > 0 ? static_cast<uint64_t>(memoryBudgetMiB_) << 20 : 0;
}

LibrarySettings LibrarySettings::Parse(std::string_view text, const fw::CodePage& cp)
{
    LibrarySettings settings;
    // Text mode: CR LF becomes LF and Ctrl+Z ends the file.
    std::string data;
    data.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\x1A')
            break;
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            continue;
        data.push_back(text[i]);
    }
    size_t pos = 0;
    while (pos < data.size()) {
        // fgets: up to 259 bytes, or through the first line feed.
        size_t n = 0;
        while (n < kLineBufferSize - 1 && pos + n < data.size()) {
            ++n;
            if (data[pos + n - 1] == '\n')
                break;
        }
        bool more = settings.AcceptLine(std::string_view(data).substr(pos, n), cp);
        pos += n;
        if (!more)
            break;
    }
    settings.Finish();
    return settings;
}

DecoderChoice LibrarySettings::DecoderFor(std::string_view path, const fw::CodePage& cp) const
{
    DecoderChoice choice;
    size_t i = path.size();
    bool found = false;
    while (i > 0) {
        i = cp.Prev(path.data(), i);
        if (path[i] == '\\')
            break;
        if (path[i] == '.') {
            found = true;
            break;
        }
    }
    if (!found)
        return choice;
    std::string_view extension = path.substr(i + 1);
    // Every record takes part; unused ones have an empty key.
    for (const SettingsRecord& r : records_) {
        if (fw::EqualsIgnoringAsciiCase(r.key, kBudgetKey))
            continue;
        if (fw::EqualsIgnoringAsciiCase(r.key, extension)) {
            if (!r.value.empty()) {
                choice.plugin = true;
                choice.pluginPath = r.value;
            }
            return choice;
        }
    }
    return choice;
}

std::string LibrarySettings::FilterText() const
{
    std::string text(kDefaultFilter);
    for (size_t i = 0; i < used_; ++i) {
        const std::string& key = records_[i].key;
        if (key.empty())
            continue;
        bool reserved = false;
        for (std::string_view r : kReservedKeys)
            reserved = reserved || fw::EqualsIgnoringAsciiCase(key, r);
        if (reserved)
            continue;
        // Only whole patterns: the first one that would pass 259 bytes ends the text.
        if (text.size() + 3 + key.size() > kMaxPathBytes)
            break;
        text += ";*.";
        text += key;
    }
    return text;
}

std::string SettingsPathFor(std::string_view modulePath, const fw::CodePage& cp)
{
    return fw::WithExtension(modulePath, ".ini", cp);
}

namespace {
std::mutex g_settingsLock;
LibrarySettings& Installed()
{
    static LibrarySettings settings;
    return settings;
}
}  // namespace

const LibrarySettings& CurrentSettings()
{
    std::lock_guard lock(g_settingsLock);
    return Installed();
}

void InstallSettings(const LibrarySettings& settings)
{
    std::lock_guard lock(g_settingsLock);
    Installed() = settings;
}

}  // namespace thumbctl

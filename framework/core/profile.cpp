#include "framework/core/profile.h"

#include <algorithm>
#include <cstdint>

#include "framework/core/ascii.h"

namespace fw {

namespace {

// Longest text the profile reader hands back whole (its buffer less the NUL).
constexpr size_t kLongestText = 4095;

bool Trimmed(std::string_view text)
{
    return text.empty() || (!IsBlank(text.front()) && !IsBlank(text.back()));
}

}  // namespace

ProfileSection::ProfileSection(std::string block) : block_(std::move(block))
{
    std::string_view rest = block_;
    while (!rest.empty() && rest.front() != '\0') {
        const std::string_view line = rest.substr(0, rest.find('\0'));
        rest.remove_prefix(std::min(rest.size(), line.size() + 1));
        const size_t equals = line.find('=');
        if (equals == std::string_view::npos)
            entries_.push_back({line, std::nullopt});
        else
            entries_.push_back({line.substr(0, equals), line.substr(equals + 1)});
    }
}

// The first entry whose key, blanks aside, is `key` (the profile functions take the first).
// A key the section leaves out (a comment, which the readers still find) matches all.
const ProfileSection::Entry* ProfileSection::Find(std::string_view key) const
{
    static const Entry unknown{{}, std::nullopt};
    if (key.empty() || key.front() == ';')
        return &unknown;
    for (const Entry& entry : entries_) {
        std::string_view name = entry.key;
        while (!name.empty() && IsBlank(name.front()))
            name.remove_prefix(1);
        while (!name.empty() && IsBlank(name.back()))
            name.remove_suffix(1);
        if (CompareIgnoringAsciiCase(name, key) == 0)
            return &entry;
    }
    return nullptr;
}

std::optional<int> ProfileSection::GetInt(std::string_view key, int defaultValue) const
{
    const Entry* entry = Find(key);
    if (!entry)
        return defaultValue;
    if (!entry->value || !Trimmed(entry->key))
        return std::nullopt;
    std::string_view digits = *entry->value;
    if (!digits.empty() && digits.front() == '-')
        digits.remove_prefix(1);
    if (digits.empty() || digits.size() > 9 ||
        std::find_if_not(digits.begin(), digits.end(), IsAsciiDigit) != digits.end())
        return std::nullopt;
    return ParseProfileInt(std::string(*entry->value));
}

std::optional<std::string> ProfileSection::GetString(std::string_view key,
                                                     const std::string& defaultValue) const
{
    const Entry* entry = Find(key);
    const auto plain = [](std::string_view text) {
        return text.size() <= kLongestText && Trimmed(text) && text.find('\0') == std::string_view::npos;
    };
    if (!entry) {
        if (!plain(defaultValue))
            return std::nullopt;
        return defaultValue;
    }
    if (!entry->value || !Trimmed(entry->key) || !plain(*entry->value))
        return std::nullopt;
    const std::string_view value = *entry->value;
    if (!value.empty() &&
        (value.front() == '"' || value.front() == '\'' || value.back() == '"' || value.back() == '\''))
        return std::nullopt;
    return std::string(value);
}

int ParseProfileInt(const std::string& text)
{
    size_t i = 0;
    while (i < text.size() && fw::IsBlank(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+'))
        negative = text[i++] == '-';
    uint32_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        value = value * 10u + static_cast<uint32_t>(text[i] - '0');
    if (negative)
        value = 0u - value;
    return static_cast<int>(value);
}

}  // namespace fw

#include "framework/core/memory_profile.h"

#include <cstdint>

namespace fw {

int ParseProfileInt(const std::string& text)
{
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
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

std::string MemoryProfile::Key(const char* section, const char* key)
{
    std::string k = std::string(section) + '\n' + key;
    for (char& c : k)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return k;
}

int MemoryProfile::GetInt(const char* section, const char* key, int defaultValue)
{
    auto it = values_.find(Key(section, key));
    return it == values_.end() ? defaultValue : ParseProfileInt(it->second);
}

std::string MemoryProfile::GetString(const char* section, const char* key, const std::string& defaultValue)
{
    auto it = values_.find(Key(section, key));
    return it == values_.end() ? defaultValue : it->second;
}

bool MemoryProfile::WriteInt(const char* section, const char* key, int value)
{
    return WriteString(section, key, std::to_string(value));
}

bool MemoryProfile::WriteString(const char* section, const char* key, const std::string& value)
{
    if (failWrites_)
        return false;
    values_[Key(section, key)] = value;
    return true;
}

bool MemoryProfile::Has(const char* section, const char* key) const
{
    return values_.count(Key(section, key)) != 0;
}

}  // namespace fw

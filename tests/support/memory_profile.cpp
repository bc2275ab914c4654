#include "tests/support/memory_profile.h"

#include "framework/core/ascii.h"

namespace testing_support {

std::string MemoryProfile::Key(const char* section, const char* key)
{
    return fw::AsciiLowered(std::string(section) + '\n' + key);
}

int MemoryProfile::GetInt(const char* section, const char* key, int defaultValue)
{
    auto it = values_.find(Key(section, key));
    return it == values_.end() ? defaultValue : fw::ParseProfileInt(it->second);
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

}  // namespace testing_support

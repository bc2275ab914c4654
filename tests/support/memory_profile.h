// A profile kept in memory, with the same read rules as the INI functions:
// section and key names ignore ASCII case, integers are read as signed decimal.
#pragma once

#include <map>
#include <string>

#include "framework/core/ascii.h"
#include "framework/core/profile.h"

namespace testing_support {

class MemoryProfile final : public fw::Profile {
public:
    int GetInt(const char* section, const char* key, int defaultValue) override
    {
        return Has(section, key) ? fw::ParseProfileInt(values_.at(Key(section, key))) : defaultValue;
    }
    std::string GetString(const char* section, const char* key, const std::string& defaultValue) override
    {
        return Has(section, key) ? values_.at(Key(section, key)) : defaultValue;
    }
    bool WriteInt(const char* section, const char* key, int value) override
    {
        return WriteString(section, key, std::to_string(value));
    }
    bool WriteString(const char* section, const char* key, const std::string& value) override
    {
        values_[Key(section, key)] = value;
        return true;
    }

    bool Has(const char* section, const char* key) const { return values_.count(Key(section, key)) != 0; }
    size_t Size() const { return values_.size(); }

private:
    static std::string Key(const char* section, const char* key)
    {
        return fw::AsciiLowered(std::string(section) + '\n' + key);
    }
    std::map<std::string, std::string> values_;
};

}  // namespace testing_support

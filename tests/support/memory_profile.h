// A profile kept in memory, with the same read rules as the INI functions:
// section and key names ignore ASCII case, integers are read as signed decimal.
#pragma once

#include <map>
#include <string>

#include "framework/core/profile.h"

namespace testing_support {

class MemoryProfile final : public fw::Profile {
public:
    int GetInt(const char* section, const char* key, int defaultValue) override;
    std::string GetString(const char* section, const char* key, const std::string& defaultValue) override;
    bool WriteInt(const char* section, const char* key, int value) override;
    bool WriteString(const char* section, const char* key, const std::string& value) override;

    bool Has(const char* section, const char* key) const;
    size_t Size() const { return values_.size(); }
    void FailWrites(bool fail) { failWrites_ = fail; }

private:
    static std::string Key(const char* section, const char* key);
    std::map<std::string, std::string> values_;
    bool failWrites_ = false;
};

}  // namespace testing_support

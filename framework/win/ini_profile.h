// The profile as an INI file, through the private-profile functions.
#pragma once

#include <string>

#include "framework/core/profile.h"

namespace fw {

class IniProfile final : public Profile {
public:
    explicit IniProfile(std::string path) : path_(std::move(path)) {}
    const std::string& Path() const { return path_; }

    int GetInt(const char* section, const char* key, int defaultValue) override;
    std::string GetString(const char* section, const char* key, const std::string& defaultValue) override;
    bool WriteInt(const char* section, const char* key, int value) override;
    bool WriteString(const char* section, const char* key, const std::string& value) override;

private:
    std::string path_;
};

}  // namespace fw

// Profile (INI file) access: every read names its default, integers are signed decimal.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace fw {

class Profile {
public:
    virtual ~Profile() = default;
    virtual int GetInt(const char* section, const char* key, int defaultValue) = 0;
    virtual std::string GetString(const char* section, const char* key, const std::string& defaultValue) = 0;
    // Failed writes return false; callers of the main program ignore them.
    virtual bool WriteInt(const char* section, const char* key, int value) = 0;
    virtual bool WriteString(const char* section, const char* key, const std::string& value) = 0;
};

// Decimal conversion as GetPrivateProfileIntA does it: blanks skipped, an optional
// sign, digits up to the first other character; no digits give 0; wraps modulo 2^32.
int ParseProfileInt(const std::string& text);

// One section as GetPrivateProfileSectionA hands it over ("key=value" strings, each
// ended by a NUL), answering reads of single keys without asking the file again.
// It answers only where every implementation of the profile functions agrees: an
// absent key gives the default, a plain value is returned as it stands. The rest
// (blanks around a key or value, quotes, a line without '=', an integer that is not
// a short plain decimal, a long text) is std::nullopt, for the caller to ask the file.
class ProfileSection {
public:
    explicit ProfileSection(std::string block);
    ProfileSection(const ProfileSection&) = delete;
    ProfileSection& operator=(const ProfileSection&) = delete;

    std::optional<int> GetInt(std::string_view key, int defaultValue) const;
    std::optional<std::string> GetString(std::string_view key, const std::string& defaultValue) const;

private:
    struct Entry {
        std::string_view key;
        std::optional<std::string_view> value;  // none: a line without '='
    };
    const Entry* Find(std::string_view key) const;

    std::string block_;
    std::vector<Entry> entries_;
};

}  // namespace fw

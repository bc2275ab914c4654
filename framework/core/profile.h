// Profile (INI file) access: every read names its default, integers are signed decimal.
#pragma once

#include <string>

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

}  // namespace fw

#include "framework/win/ini_profile.h"

#include <windows.h>

#include <vector>

namespace fw {

int IniProfile::GetInt(const char* section, const char* key, int defaultValue)
{
    return static_cast<int>(GetPrivateProfileIntA(section, key, defaultValue, path_.c_str()));
}

std::string IniProfile::GetString(const char* section, const char* key, const std::string& defaultValue)
{
    std::vector<char> buffer(4096);
    DWORD n = GetPrivateProfileStringA(section, key, defaultValue.c_str(), buffer.data(),
                                       static_cast<DWORD>(buffer.size()), path_.c_str());
    return std::string(buffer.data(), n);
}

bool IniProfile::WriteInt(const char* section, const char* key, int value)
{
    return WriteString(section, key, std::to_string(value));
}

bool IniProfile::WriteString(const char* section, const char* key, const std::string& value)
{
    return WritePrivateProfileStringA(section, key, value.c_str(), path_.c_str()) != FALSE;
}

}  // namespace fw

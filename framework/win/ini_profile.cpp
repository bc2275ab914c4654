#include "framework/win/ini_profile.h"

#include <windows.h>

#include <vector>

namespace fw {

namespace {

constexpr DWORD kLargestSection = 1u << 22;

}  // namespace

const ProfileSection* IniProfile::Section(const char* section)
{
    if (snapshots_ == 0)
        return nullptr;
    auto [it, added] = sections_.try_emplace(section);
    if (!added)
        return it->second.get();
    // The reader returns the buffer's size less 2 when the section did not fit.
    for (DWORD size = 1u << 15; size <= kLargestSection; size *= 2) {
        std::vector<char> buffer(size);
        const DWORD n = GetPrivateProfileSectionA(section, buffer.data(), size, path_.c_str());
        if (n + 2 < size) {
            it->second = std::make_unique<ProfileSection>(std::string(buffer.data(), n));
            break;
        }
    }
    return it->second.get();
}

int IniProfile::GetInt(const char* section, const char* key, int defaultValue)
{
    if (const ProfileSection* copy = Section(section))
        if (const auto value = copy->GetInt(key, defaultValue))
            return *value;
    return static_cast<int>(GetPrivateProfileIntA(section, key, defaultValue, path_.c_str()));
}

std::string IniProfile::GetString(const char* section, const char* key, const std::string& defaultValue)
{
    if (const ProfileSection* copy = Section(section))
        if (auto value = copy->GetString(key, defaultValue))
            return std::move(*value);
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
    sections_.clear();
    return WritePrivateProfileStringA(section, key, value.c_str(), path_.c_str()) != FALSE;
}

}  // namespace fw

#include "tests/support/registry.h"

#include <algorithm>

#include "framework/win/handles.h"

namespace testing_support {

std::vector<std::wstring> Names(HKEY root, const std::wstring& path, bool values)
{
    std::vector<std::wstring> names;
    HKEY raw = nullptr;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &raw) != ERROR_SUCCESS)
        return names;
    fw::UniqueKey key(raw);
    std::wstring name(16384, L'\0');
    for (DWORD i = 0; i < 10000; ++i) {
        DWORD length = 16384;
        const LSTATUS status =
            values ? RegEnumValueW(key.get(), i, name.data(), &length, nullptr, nullptr, nullptr, nullptr)
                   : RegEnumKeyExW(key.get(), i, name.data(), &length, nullptr, nullptr, nullptr, nullptr);
        if (status != ERROR_SUCCESS)
            break;
        names.emplace_back(name.data(), length);
    }
    std::sort(names.begin(), names.end(), [](const std::wstring& a, const std::wstring& b) {
        return _wcsicmp(a.c_str(), b.c_str()) < 0;
    });
    return names;
}

bool KeyExists(HKEY root, const std::wstring& path)
{
    HKEY key = nullptr;
    return RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) == ERROR_SUCCESS &&
           RegCloseKey(key) == ERROR_SUCCESS;
}

std::optional<std::wstring> ReadString(HKEY root, const std::wstring& path, const std::wstring& name)
{
    std::wstring value(32768, L'\0');
    DWORD bytes = 65536;
    if (RegGetValueW(root, path.c_str(), name.c_str(), RRF_RT_REG_SZ | RRF_NOEXPAND, nullptr, value.data(),
                     &bytes) != ERROR_SUCCESS)
        return std::nullopt;
    value.resize(wcsnlen(value.c_str(), value.size()));
    return value;
}

void WriteString(HKEY root, const std::wstring& path, const std::wstring& name, const std::wstring& value)
{
    RegSetKeyValueW(root, path.c_str(), name.c_str(), REG_SZ, value.c_str(),
                    static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

}  // namespace testing_support

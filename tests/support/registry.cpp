#include "tests/support/registry.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "framework/win/handles.h"
#include "tests/support/server_library.h"

namespace testing_support {
namespace {

std::vector<std::wstring> SortedWithoutCase(std::vector<std::wstring> names)
{
    std::sort(names.begin(), names.end(), [](const std::wstring& a, const std::wstring& b) {
        return _wcsicmp(a.c_str(), b.c_str()) < 0;
    });
    return names;
}

// The names RegEnumKeyExW or RegEnumValueW give for the key at `path`.
template <typename Enumerate>
std::vector<std::wstring> Names(HKEY root, const std::wstring& path, DWORD longest, Enumerate enumerate)
{
    std::vector<std::wstring> names;
    HKEY raw = nullptr;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &raw) != ERROR_SUCCESS)
        return names;
    fw::UniqueKey key(raw);
    std::wstring name(longest, L'\0');
    for (DWORD i = 0; i < 10000; ++i) {
        DWORD length = longest;
        if (enumerate(key.get(), i, name.data(), &length) != ERROR_SUCCESS)
            break;
        names.emplace_back(name.data(), length);
    }
    return SortedWithoutCase(std::move(names));
}

}  // namespace

bool KeyExists(HKEY root, const std::wstring& path)
{
    HKEY raw = nullptr;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &raw) != ERROR_SUCCESS)
        return false;
    fw::UniqueKey key(raw);
    return true;
}

std::optional<std::wstring> ReadString(HKEY root, const std::wstring& path, const std::wstring& name)
{
    HKEY raw = nullptr;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &raw) != ERROR_SUCCESS)
        return std::nullopt;
    fw::UniqueKey key(raw);
    DWORD type = 0;
    DWORD bytes = 0;
    if (RegQueryValueExW(key.get(), name.c_str(), nullptr, &type, nullptr, &bytes) != ERROR_SUCCESS ||
        type != REG_SZ)
        return std::nullopt;
    std::wstring value(bytes / sizeof(wchar_t) + 1, L'\0');
    if (RegQueryValueExW(key.get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(value.data()),
                         &bytes) != ERROR_SUCCESS)
        return std::nullopt;
    value.resize(wcsnlen(value.c_str(), value.size()));
    return value;
}

std::vector<std::wstring> SubkeyNames(HKEY root, const std::wstring& path)
{
    return Names(root, path, 256, [](HKEY key, DWORD i, wchar_t* name, DWORD* length) {
        return RegEnumKeyExW(key, i, name, length, nullptr, nullptr, nullptr, nullptr);
    });
}

std::vector<std::wstring> ValueNames(HKEY root, const std::wstring& path)
{
    return Names(root, path, 16384, [](HKEY key, DWORD i, wchar_t* name, DWORD* length) {
        return RegEnumValueW(key, i, name, length, nullptr, nullptr, nullptr, nullptr);
    });
}

void WriteString(HKEY root, const std::wstring& path, const std::wstring& name, const std::wstring& value)
{
    HKEY raw = nullptr;
    if (RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &raw, nullptr) !=
        ERROR_SUCCESS)
        return;
    fw::UniqueKey key(raw);
    RegSetValueExW(key.get(), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

void ExpectRegistryEntries(HKEY root, const std::vector<ExpectedValue>& values,
                           const std::vector<ExpectedShape>& shapes)
{
    for (const ExpectedValue& v : values) {
        SCOPED_TRACE(Narrow(v.key + L" [" + v.name + L"]"));
        EXPECT_EQ(ReadString(root, v.key, v.name).value_or(L"<missing>"), v.data);
    }
    for (const ExpectedShape& s : shapes) {
        SCOPED_TRACE(Narrow(s.key));
        EXPECT_EQ(SubkeyNames(root, s.key), SortedWithoutCase(s.subkeys));
        EXPECT_EQ(ValueNames(root, s.key), SortedWithoutCase(s.values));
    }
}

}  // namespace testing_support

// Registry reads and writes for registration tests, and a check of a whole set of
// keys: the string values each must hold and the exact subkeys and value names.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace testing_support {

bool KeyExists(HKEY root, const std::wstring& path);
// A string value; nullopt when the key or value is missing or not a string.
std::optional<std::wstring> ReadString(HKEY root, const std::wstring& path, const std::wstring& name = L"");
void WriteString(HKEY root, const std::wstring& path, const std::wstring& name, const std::wstring& value);

struct ExpectedValue {
    std::wstring key;
    std::wstring name;
    std::wstring data;
};

struct ExpectedShape {
    std::wstring key;
    std::vector<std::wstring> subkeys;
    std::vector<std::wstring> values;
};

// Every value holds its data and every shaped key has exactly its subkeys and
// value names (compared in any order); reported as gtest failures.
void ExpectRegistryEntries(HKEY root, const std::vector<ExpectedValue>& values,
                           const std::vector<ExpectedShape>& shapes);

}  // namespace testing_support

// Registry reads and writes for registration tests.
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

// The subkey or value names of the key, sorted without regard to case.
std::vector<std::wstring> Names(HKEY root, const std::wstring& path, bool values);

}  // namespace testing_support

// Conversions between the ANSI code page, UTF-16 and UTF-8.
#pragma once

#include <string>

namespace fw {

std::wstring AnsiToWide(const std::string& text);
std::string WideToAnsi(const std::wstring& text);
std::string WideToUtf8(const std::wstring& text);
std::wstring Utf8ToWide(const std::string& text);

}  // namespace fw

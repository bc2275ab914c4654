#include "framework/win/strings.h"

#include <windows.h>

#include "framework/core/ansi_text.h"

namespace fw {
namespace {

std::wstring ToWide(UINT codePage, const std::string& text)
{
    if (text.empty())
        return std::wstring();
    int n = MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), out.data(), n);
    return out;
}

std::string FromWide(UINT codePage, const std::wstring& text)
{
    if (text.empty())
        return std::string();
    int n = WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr,
                        nullptr);
    return out;
}

}  // namespace

std::wstring AnsiToWide(const std::string& text)
{
    return ToWide(CP_ACP, text);
}
std::wstring WidenAnsi(const std::string& text)
{
    return ToWide(CP_ACP, text);
}
bool NarrowAnsi(const std::wstring& text, std::string& ansi)
{
    ansi.clear();
    if (text.empty())
        return true;
    const int length = static_cast<int>(text.size());
    // UTF-8 as the ANSI code page takes neither flag nor default-character report;
    // there only unpaired surrogates cannot be converted.
    const bool utf8 = GetACP() == CP_UTF8;
    const DWORD flags = utf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
    BOOL usedDefault = FALSE;
    BOOL* report = utf8 ? nullptr : &usedDefault;
    int n = WideCharToMultiByte(CP_ACP, flags, text.data(), length, nullptr, 0, nullptr, report);
    if (n <= 0 || usedDefault)
        return false;
    ansi.assign(static_cast<size_t>(n), '\0');
    n = WideCharToMultiByte(CP_ACP, flags, text.data(), length, ansi.data(), n, nullptr, report);
    if (n <= 0 || usedDefault) {
        ansi.clear();
        return false;
    }
    ansi.resize(static_cast<size_t>(n));
    return true;
}
std::string WideToAnsi(const std::wstring& text)
{
    return FromWide(CP_ACP, text);
}
std::wstring Utf8ToWide(const std::string& text)
{
    return ToWide(CP_UTF8, text);
}
std::string WideToUtf8(const std::wstring& text)
{
    return FromWide(CP_UTF8, text);
}

}  // namespace fw

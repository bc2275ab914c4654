#include "installer/texts.h"

#include <cwchar>

namespace installer::text {

std::wstring Fill(const wchar_t* pattern, std::initializer_list<std::wstring> args)
{
    std::wstring out;
    auto next = args.begin();
    for (const wchar_t* p = pattern; *p; ++p) {
        if (*p != L'%') {
            out += *p;
            continue;
        }
        if (p[1] == L'%') {
            out += L'%';
            ++p;
            continue;
        }
        const wchar_t* conversion = p + 1;
        if (*conversion == L'l')
            ++conversion;
        if (*conversion != L's' && *conversion != L'd' && *conversion != L'x') {
            out += *p;
            continue;
        }
        if (next != args.end())
            out += *next++;
        p = conversion;
    }
    return out;
}

std::wstring Decimal(long value)
{
    return std::to_wstring(value);
}

std::wstring Hex(unsigned long value)
{
    wchar_t buffer[24];
    std::swprintf(buffer, sizeof(buffer) / sizeof(buffer[0]), L"%lx", value);
    return buffer;
}

}  // namespace installer::text

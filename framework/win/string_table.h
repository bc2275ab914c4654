// Texts of a module's string table.
#pragma once

#include <windows.h>

#include <string>

namespace fw {

// String `id` of `module` (the program when null); empty when it has none.
inline std::wstring LoadText(UINT id, HINSTANCE module = nullptr)
{
    const wchar_t* text = nullptr;
    const int n =
        LoadStringW(module ? module : GetModuleHandleW(nullptr), id, reinterpret_cast<LPWSTR>(&text), 0);
    return n > 0 ? std::wstring(text, static_cast<size_t>(n)) : std::wstring();
}

}  // namespace fw

// Text in the ANSI code page (paths, system messages) for the wide-character prompts.
#pragma once

#include <string>

namespace fw {

// MultiByteToWideChar(CP_ACP) on Windows. Elsewhere each byte becomes the code unit
// of the same value, which is exact for ASCII, the only text native tests use.
std::wstring WidenAnsi(const std::string& text);

}  // namespace fw

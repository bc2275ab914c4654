// Text in the ANSI code page (paths, system messages) for the wide-character prompts.
#pragma once

#include <string>

namespace fw {

// MultiByteToWideChar(CP_ACP) on Windows. Elsewhere each byte becomes the code unit
// of the same value, which is exact for ASCII, the only text native tests use.
std::wstring WidenAnsi(const std::string& text);

// The reverse of WidenAnsi that refuses to guess: false when a character has no exact
// equivalent in the ANSI code page (WideCharToMultiByte without best-fit mapping that
// had to use the default character). Elsewhere code units up to 0xFF become the byte
// of the same value and any other unit fails.
bool NarrowAnsi(const std::wstring& text, std::string& ansi);

}  // namespace fw

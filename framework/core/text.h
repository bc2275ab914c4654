// Text between the ANSI code page of paths and files, UTF-16 for what the user reads
// and UTF-8 for the registry, traces and test messages.
//
// Elsewhere than Windows the ANSI side is a byte per code unit of the same value,
// which is exact for ASCII, the only text portable tests convert.
#pragma once

#include <string>
#include <string_view>

namespace fw {

// MultiByteToWideChar(CP_ACP).
std::wstring WidenAnsi(std::string_view text);

// As the system converts: best-fit characters where the code page has them, "?" for
// the rest. For text shown back to the user, never for naming a file.
std::string NarrowAnsi(std::wstring_view text);

// Without best-fit guesses: a character the code page does not hold becomes "?", which
// no file or folder name may contain, so the checks that follow refuse the name instead
// of silently naming another file.
std::string NarrowAnsiPath(std::wstring_view text);

// Refuses to guess: false when a character has no exact equivalent in the code page.
bool TryNarrowAnsi(std::wstring_view text, std::string& ansi);

// UTF-16 (with surrogate pairs where wchar_t has 16 bits, UTF-32 elsewhere) and
// UTF-8; what cannot be converted becomes U+FFFD.
std::string Utf8FromWide(std::wstring_view text);
std::wstring WideFromUtf8(std::string_view text);

}  // namespace fw

// The program's command line as the paths it names.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace app {

inline constexpr size_t kMaxCommandLineTokens = 64;
// The longest token kept: a path buffer of MAX_PATH (260) bytes with its terminator.
inline constexpr size_t kMaxTokenBytes = 259;

// Splits the text after the program name: blanks and tabs separate tokens; a token
// that starts with a double quote runs to the next double quote or the end of the
// line, without the quotes; the character that ended a token is skipped. Empty tokens
// ("") are dropped. A token longer than kMaxTokenBytes is skipped as well: cut short,
// it would name a different file. Neither counts toward the limit; after
// kMaxCommandLineTokens tokens the rest of the line is ignored.
// Bytes are scanned one by one: in the ANSI code pages a trail byte is never a blank,
// a tab or a double quote.
std::vector<std::string> SplitCommandLine(std::string_view text);

}  // namespace app

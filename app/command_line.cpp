#include "app/command_line.h"

#include "framework/core/ascii.h"

namespace app {

namespace {

}  // namespace

std::vector<std::string> SplitCommandLine(std::string_view text)
{
    std::vector<std::string> tokens;
    size_t at = 0;
    while (tokens.size() < kMaxCommandLineTokens) {
        while (at < text.size() && fw::IsBlank(text[at]))
            ++at;
        if (at >= text.size())
            break;
        const bool quoted = text[at] == '"';
        const size_t start = quoted ? at + 1 : at;
        size_t end = quoted ? text.find('"', start) : text.find_first_of(" \t", start);
        if (end == std::string_view::npos)
            end = text.size();
        at = end + 1;  // past the quote or blank that ended the token
        const size_t length = end - start;
        if (length > 0 && length <= kMaxTokenBytes)
            tokens.emplace_back(text.substr(start, length));
    }
    return tokens;
}

}  // namespace app

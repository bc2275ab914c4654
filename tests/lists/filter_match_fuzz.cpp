// Filter matching against a plain dynamic-programming matcher over the same characters.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "lists/filter_match.h"

namespace {

using Text = std::vector<uint32_t>;

Text Characters(std::string text)
{
    const fw::CodePage& cp = fw::SystemCodePage();
    cp.ToUpper(text);
    Text chars;
    for (size_t i = 0, n = 0; i < text.size(); i += n) {
        n = cp.CharLength(text.data(), i, text.size());
        chars.push_back(n == 2 ? 0x10000u + static_cast<uint8_t>(text[i]) * 256u +
                                     static_cast<uint8_t>(text[i + 1])
                               : static_cast<uint8_t>(text[i]));
    }
    return chars;
}

bool Reference(const Text& pattern, const Text& path)
{
    // match[i][j]: pattern[0..i) matches path[0..j).
    std::vector<std::vector<char>> match(pattern.size() + 1, std::vector<char>(path.size() + 1, 0));
    match[0][0] = 1;
    for (size_t i = 1; i <= pattern.size(); ++i)
        for (size_t j = 0; j <= path.size(); ++j)
            match[i][j] = pattern[i - 1] == '*'
                              ? match[i - 1][j] || (j > 0 && match[i][j - 1])
                              : j > 0 && match[i - 1][j - 1] &&
                                    (pattern[i - 1] == '?' || pattern[i - 1] == path[j - 1]);
    return match[pattern.size()][path.size()];
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string input(reinterpret_cast<const char*>(data), size);
    const size_t cut = input.find('\0');
    if (cut == std::string::npos || size > 1200 || input.find('\0', cut + 1) != std::string::npos)
        return 0;
    const std::string patterns = input.substr(0, cut), path = input.substr(cut + 1);
    const Text all = Characters(patterns), pathChars = Characters(path);
    bool expected = false;
    Text current;
    for (size_t i = 0, count = 0; i <= all.size() && count < lists::FilterPattern::kMaxPatterns; ++i) {
        if (i < all.size() && all[i] != ';') {
            current.push_back(all[i]);
            continue;
        }
        expected = expected || Reference(current, pathChars);
        current.clear();
        ++count;
    }
    if (lists::FilterMatch(patterns, path) != expected)
        std::abort();
    return 0;
}

// Fuzzes `filter match` against a plain dynamic-programming matcher over the same
// characters.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "framework/core/codepage.h"
#include "lists/filter_match.h"

namespace {

using Text = std::vector<uint32_t>;

Text Characters(std::string text)
{
    const fw::CodePage& cp = fw::SystemCodePage();
    cp.ToUpper(text);
    Text chars;
    for (size_t i = 0; i < text.size();) {
        size_t n = cp.CharLength(text.data(), i, text.size());
        uint32_t c = static_cast<unsigned char>(text[i]);
        if (n == 2)
            c = 0x10000u + c * 256u + static_cast<unsigned char>(text[i + 1]);
        chars.push_back(c);
        i += n;
    }
    return chars;
}

bool Reference(const Text& pattern, const Text& path)
{
    // match[i][j]: pattern[0..i) matches path[0..j).
    std::vector<std::vector<char>> match(pattern.size() + 1, std::vector<char>(path.size() + 1, 0));
    match[0][0] = 1;
    for (size_t i = 1; i <= pattern.size(); ++i) {
        for (size_t j = 0; j <= path.size(); ++j) {
            uint32_t p = pattern[i - 1];
            if (p == '*')
                match[i][j] = match[i - 1][j] || (j > 0 && match[i][j - 1]);
            else if (j > 0)
                match[i][j] = match[i - 1][j - 1] && (p == '?' || p == path[j - 1]);
        }
    }
    return match[pattern.size()][path.size()];
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string input(reinterpret_cast<const char*>(data), size);
    size_t cut = input.find('\0');
    if (cut == std::string::npos || size > 1200)
        return 0;
    std::string patterns = input.substr(0, cut);
    std::string path = input.substr(cut + 1);
    if (path.find('\0') != std::string::npos)
        return 0;

    Text all = Characters(patterns);
    Text pathChars = Characters(path);
    bool expected = false;
    Text current;
    size_t count = 0;
    for (size_t i = 0; i <= all.size() && count < lists::FilterPattern::kMaxPatterns; ++i) {
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

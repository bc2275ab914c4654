// `filter match`: semicolon-separated wildcard patterns matched against whole paths.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "framework/core/codepage.h"

namespace lists {

// A pattern list prepared once for many paths. Both the patterns and each path are
// upper-cased through the code page; the list is split at every ';' (stepping by
// characters, so a trail byte is never a separator) into at most kMaxPatterns
// patterns, the rest being ignored. A path is accepted when one pattern matches it
// whole: '*' matches any run of characters, '?' exactly one character (a double-byte
// character counts as one), everything else itself. An empty pattern (from ";;", a
// trailing ';' or an empty list) matches only the empty path. Matching takes at most
// pattern length x path length steps.
class FilterPattern {
public:
    static constexpr size_t kMaxPatterns = 63;

    explicit FilterPattern(std::string_view patterns = std::string_view(),
                           const fw::CodePage& codePage = fw::SystemCodePage());

    bool Matches(std::string_view path) const;

    const std::string& Source() const { return source_; }
    size_t PatternCount() const { return patterns_.size(); }

private:
    // One character: a single byte as its value, a double-byte character as
    // 0x10000 + lead * 256 + trail.
    using Text = std::vector<uint32_t>;

    Text Characters(std::string_view text) const;
    static bool MatchOne(const Text& pattern, const Text& path);

    const fw::CodePage* codePage_;
    std::string source_;
    std::vector<Text> patterns_;
};

// `filter match`(patterns, path) under the system code page.
bool FilterMatch(std::string_view patterns, std::string_view path);

}  // namespace lists

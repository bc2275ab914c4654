#include "lists/filter_match.h"

#include <algorithm>

namespace lists {

namespace {
constexpr uint32_t kDoubleByte = 0x10000u;
constexpr uint32_t kStar = '*';
constexpr uint32_t kQuestion = '?';
constexpr uint32_t kSeparator = ';';
}  // namespace

FilterPattern::FilterPattern(std::string_view patterns, const fw::CodePage& codePage)
    : codePage_(&codePage), source_(patterns)
{
    Text all = Characters(patterns);
    Text current;
    for (uint32_t c : all) {
        if (c != kSeparator) {
            current.push_back(c);
            continue;
        }
        patterns_.push_back(std::move(current));
        current.clear();
        if (patterns_.size() == kMaxPatterns)
            return;
    }
    patterns_.push_back(std::move(current));
}

FilterPattern::Text FilterPattern::Characters(std::string_view text) const
{
    std::string upper(text);
    codePage_->ToUpper(upper);
    Text chars;
    chars.reserve(upper.size());
    const size_t n = upper.size();
    for (size_t i = 0; i < n;) {
        size_t length = codePage_->CharLength(upper.data(), i, n);
        auto lead = static_cast<unsigned char>(upper[i]);
        if (length == 2)
            chars.push_back(kDoubleByte + lead * 256u + static_cast<unsigned char>(upper[i + 1]));
        else
            chars.push_back(lead);
        i += length;
    }
    return chars;
}

bool FilterPattern::MatchOne(const Text& pattern, const Text& path)
{
    // "*" and a text without wildcards, as most filters are ("*.JPG"): the path's end.
    const auto literal = [](uint32_t c) { return c != kStar && c != kQuestion; };
    if (!pattern.empty() && pattern[0] == kStar && std::all_of(pattern.begin() + 1, pattern.end(), literal))
        return path.size() >= pattern.size() - 1 &&
               std::equal(pattern.begin() + 1, pattern.end(), path.end() - (pattern.size() - 1));
    // Greedy matching that backs up to the last '*' only: each '*' retry advances the
    // path start, so the work is bounded by pattern length x path length.
    size_t p = 0;
    size_t s = 0;
    size_t star = SIZE_MAX;
    size_t resume = 0;
    while (s < path.size()) {
        if (p < pattern.size() && pattern[p] == kStar) {
            star = p++;
            resume = s;
        } else if (p < pattern.size() && (pattern[p] == kQuestion || pattern[p] == path[s])) {
            ++p;
            ++s;
        } else if (star != SIZE_MAX) {
            p = star + 1;
            s = ++resume;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == kStar)
        ++p;
    return p == pattern.size();
}

bool FilterPattern::Matches(std::string_view path) const
{
    Text chars = Characters(path);
    for (const Text& pattern : patterns_)
        if (MatchOne(pattern, chars))
            return true;
    return false;
}

bool FilterMatch(std::string_view patterns, std::string_view path)
{
    return FilterPattern(patterns).Matches(path);
}

}  // namespace lists

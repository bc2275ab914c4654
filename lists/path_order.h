// The order of paths in a list: case-insensitive for ASCII letters, double-byte
// characters upper-cased through the code page and sorted after every single byte.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "framework/core/codepage.h"

namespace lists {

// Compares two paths character by character from the start:
//  - a single-byte character A-Z compares as its lower-case form, every other
//    single byte by its value (so "[\]^_`" sort before the letters and '.' before '\');
//  - a double-byte character (lead byte with a trail byte) is upper-cased through the
//    code page and compares as lead * 256 + trail, after every single-byte character;
//  - at the first difference the smaller value sorts first; a prefix sorts first.
// Two paths that compare equal are the same list entry. The order is a strict weak
// order on byte strings (a lexicographic order of per-character keys).
class PathOrder {
public:
    explicit PathOrder(const fw::CodePage& codePage);

    // The order under the system code page (built once).
    static const PathOrder& System();

    // Negative, zero or positive like strcmp.
    int Compare(std::string_view a, std::string_view b) const;
    bool Less(std::string_view a, std::string_view b) const { return Compare(a, b) < 0; }
    bool Equal(std::string_view a, std::string_view b) const { return Compare(a, b) == 0; }
    bool operator()(std::string_view a, std::string_view b) const { return Compare(a, b) < 0; }

    const fw::CodePage& CodePage() const { return *codePage_; }

private:
    // Key of the character at s[i]; `length` receives its size in bytes.
    unsigned Key(const unsigned char* s, size_t i, size_t n, size_t& length) const;

    const fw::CodePage* codePage_;
    std::array<bool, 256> lead_{};
};

// PathOrder::System().Compare(a, b).
int ComparePaths(std::string_view a, std::string_view b);

}  // namespace lists

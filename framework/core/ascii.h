// ASCII letters without the C library's locale: case folding and comparisons that
// behave the same in every code page. Bytes outside 'A'-'Z' and 'a'-'z' are left alone,
// so a double-byte character's bytes pass unchanged unless they are ASCII letters; text
// that must keep its trail bytes is folded by CodePage::UpperAscii.
#pragma once

#include <string>
#include <string_view>

namespace fw {

constexpr bool IsAsciiLetter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// White space as the C library's isspace knows it in the "C" locale; never a byte of a
// double-byte character (lead bytes are 0x81 and up, trail bytes 0x40 and up).
constexpr bool IsAsciiSpace(char c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

// A blank as the profile and dialog readers skip it: space or tab.
constexpr bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

constexpr bool IsAsciiDigit(char c)
{
    return c >= '0' && c <= '9';
}

constexpr char AsciiUpper(char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

constexpr char AsciiLower(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

constexpr wchar_t AsciiLower(wchar_t c)
{
    return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c;
}

// Byte-wise comparison with ASCII letters folded to lower case (the C library's
// _stricmp): negative, zero or positive.
constexpr int CompareIgnoringAsciiCase(std::string_view a, std::string_view b)
{
    const size_t n = a.size() < b.size() ? a.size() : b.size();
    for (size_t i = 0; i < n; ++i) {
        const auto x = static_cast<unsigned char>(AsciiLower(a[i]));
        const auto y = static_cast<unsigned char>(AsciiLower(b[i]));
        if (x != y)
            return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

constexpr bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && CompareIgnoringAsciiCase(a, b) == 0;
}

// An ordering for maps keyed by names that ignore ASCII case.
struct LessIgnoringAsciiCase {
    bool operator()(std::string_view a, std::string_view b) const
    {
        return CompareIgnoringAsciiCase(a, b) < 0;
    }
};

inline std::string AsciiLowered(std::string_view text)
{
    std::string out(text);
    for (char& c : out)
        c = AsciiLower(c);
    return out;
}

}  // namespace fw

#include "framework/core/codepage.h"

#include "framework/core/ascii.h"

namespace fw {

size_t CodePage::CharLength(const char* s, size_t i, size_t n) const
{
    if (i >= n)
        return 0;
    if (IsLeadByte(static_cast<unsigned char>(s[i])) && i + 1 < n && s[i + 1] != '\0')
        return 2;
    return 1;
}

size_t CodePage::Prev(const char* s, size_t i) const
{
    size_t pos = 0;
    size_t prev = 0;
    while (pos < i) {
        prev = pos;
        size_t len = CharLength(s, pos, i);
        pos += len ? len : 1;
    }
    return prev;
}

void CodePage::ToUpper(std::string& s) const
{
    const size_t n = s.size();
    for (size_t i = 0; i < n;) {
        size_t len = CharLength(s.data(), i, n);
        auto lead = static_cast<unsigned char>(s[i]);
        unsigned char trail = len == 2 ? static_cast<unsigned char>(s[i + 1]) : 0;
        UpperChar(lead, trail, len == 2);
        s[i] = static_cast<char>(lead);
        if (len == 2)
            s[i + 1] = static_cast<char>(trail);
        i += len;
    }
}

void CodePage::UpperAscii(std::string& s) const
{
    const size_t n = s.size();
    for (size_t i = 0; i < n; i += CharLength(s.data(), i, n))
        s[i] = AsciiUpper(s[i]);
}

namespace {

void UpperAsciiByte(unsigned char& c)
{
    c = static_cast<unsigned char>(AsciiUpper(static_cast<char>(c)));
}

class SingleByte final : public CodePage {
public:
    bool IsLeadByte(unsigned char) const override { return false; }
    void UpperChar(unsigned char& lead, unsigned char&, bool) const override { UpperAsciiByte(lead); }
};

// Shift_JIS as Windows defines it (code page 932). Upper-casing covers ASCII and
// the full-width Latin, Greek and Cyrillic letters, the double-byte letters that
// have a case.
class ShiftJis final : public CodePage {
public:
    bool IsLeadByte(unsigned char c) const override
    {
        return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
    }

    void UpperChar(unsigned char& lead, unsigned char& trail, bool doubleByte) const override
    {
        if (!doubleByte) {
            UpperAsciiByte(lead);
            return;
        }
        unsigned code = lead * 256u + trail;
        unsigned upper = code;
        if (code >= 0x8281 && code <= 0x829A)  // ａ-ｚ -> Ａ-Ｚ
            upper = code - 0x21;
        else if (code >= 0x83BF && code <= 0x83D6)  // α-ω -> Α-Ω
            upper = code - 0x20;
        else if (code >= 0x8470 && code <= 0x847E)  // а-н -> А-Н
            upper = code - 0x30;
        else if (code >= 0x8480 && code <= 0x8491)  // о-я -> О-Я (0x847F is unused)
            upper = code - 0x31;
        lead = static_cast<unsigned char>(upper >> 8);
        trail = static_cast<unsigned char>(upper & 0xFF);
    }
};

}  // namespace

const CodePage& CodePage932()
{
    static const ShiftJis cp;
    return cp;
}

const CodePage& SingleByteCodePage()
{
    static const SingleByte cp;
    return cp;
}

}  // namespace fw

#include "lists/path_order.h"

#include "framework/core/ascii.h"

namespace lists {

namespace {
// Keys of double-byte characters are offset past every single-byte key, whatever the
// code page's upper-casing returns.
constexpr unsigned kDoubleByteBase = 0x10000u;
}  // namespace

PathOrder::PathOrder(const fw::CodePage& codePage) : codePage_(&codePage)
{
    for (unsigned c = 0; c < 256; ++c)
        lead_[c] = codePage.IsLeadByte(static_cast<unsigned char>(c));
}

const PathOrder& PathOrder::System()
{
    static const PathOrder order(fw::SystemCodePage());
    return order;
}

unsigned PathOrder::Key(const unsigned char* s, size_t i, size_t n, size_t& length) const
{
    unsigned char c = s[i];
    if (lead_[c] && i + 1 < n && s[i + 1] != 0) {
        unsigned char lead = c;
        unsigned char trail = s[i + 1];
        codePage_->UpperChar(lead, trail, true);
        length = 2;
        return kDoubleByteBase + lead * 256u + trail;
    }
    length = 1;
    return static_cast<unsigned char>(fw::AsciiLower(static_cast<char>(c)));
}

int PathOrder::Compare(std::string_view a, std::string_view b) const
{
    const auto* pa = reinterpret_cast<const unsigned char*>(a.data());
    const auto* pb = reinterpret_cast<const unsigned char*>(b.data());
    const size_t na = a.size();
    const size_t nb = b.size();
    // Both strings are stepped together: characters with equal keys have equal lengths.
    size_t i = 0;
    while (i < na && i < nb) {
        const unsigned char ca = pa[i];
        if (ca == pb[i]) {
            if (!lead_[ca]) {
                ++i;
                continue;
            }
            if (i + 1 < na && i + 1 < nb && pa[i + 1] == pb[i + 1] && pa[i + 1] != 0) {
                i += 2;
                continue;
            }
        }
        size_t la = 1;
        size_t lb = 1;
        const unsigned ka = Key(pa, i, na, la);
        const unsigned kb = Key(pb, i, nb, lb);
        if (ka != kb)
            return ka < kb ? -1 : 1;
        i += la;
    }
    if (i < na)
        return 1;
    return i < nb ? -1 : 0;
}

int ComparePaths(std::string_view a, std::string_view b)
{
    return PathOrder::System().Compare(a, b);
}

}  // namespace lists

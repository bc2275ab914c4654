#include "framework/core/field_text.h"

#include <optional>

namespace fw {
namespace {

bool IsBlank(wchar_t c)
{
    return c == L' ' || c == L'\t';
}

struct Decimal {
    bool negative = false;
    uint64_t magnitude = 0;  // saturates just past 2^32
};

std::optional<Decimal> ParseField(std::wstring_view text, bool signAllowed)
{
    size_t i = 0;
    while (i < text.size() && IsBlank(text[i]))
        ++i;
    Decimal number;
    if (signAllowed && i < text.size() && (text[i] == L'-' || text[i] == L'+'))
        number.negative = text[i++] == L'-';
    const size_t digits = i;
    for (; i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i) {
        if (number.magnitude <= UINT32_MAX)
            number.magnitude = number.magnitude * 10 + static_cast<uint64_t>(text[i] - L'0');
    }
    if (i == digits)
        return std::nullopt;
    while (i < text.size() && IsBlank(text[i]))
        ++i;
    if (i != text.size())
        return std::nullopt;
    return number;
}

}  // namespace

bool ParseIntegerText(std::wstring_view text, int& value)
{
    const std::optional<Decimal> number = ParseField(text, true);
    if (!number)
        return false;
    const int64_t signedValue =
        number->negative ? -static_cast<int64_t>(number->magnitude) : static_cast<int64_t>(number->magnitude);
    value = static_cast<int>(signedValue < INT32_MIN   ? INT32_MIN
                             : signedValue > INT32_MAX ? INT32_MAX
                                                       : signedValue);
    return true;
}

bool ParseUnsignedText(std::wstring_view text, uint32_t& value)
{
    const std::optional<Decimal> number = ParseField(text, false);
    if (!number || number->magnitude > UINT32_MAX)
        return false;
    value = static_cast<uint32_t>(number->magnitude);
    return true;
}

}  // namespace fw

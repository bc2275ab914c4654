#include "framework/core/profile.h"

#include <cstdint>

#include "framework/core/ascii.h"

namespace fw {

int ParseProfileInt(const std::string& text)
{
    size_t i = 0;
    while (i < text.size() && fw::IsBlank(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+'))
        negative = text[i++] == '-';
    uint32_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        value = value * 10u + static_cast<uint32_t>(text[i] - '0');
    if (negative)
        value = 0u - value;
    return static_cast<int>(value);
}

}  // namespace fw

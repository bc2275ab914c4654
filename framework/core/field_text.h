// Numbers typed into a dialog's edit fields, read whole: blanks and tabs around one run
// of decimal digits, nothing else.
#pragma once

#include <cstdint>
#include <string_view>

namespace fw {

// An optional sign before the digits; a number beyond 32 bits is clamped to the nearest
// 32-bit value (which then fails any range check). False without digits or with any
// other character.
bool ParseIntegerText(std::wstring_view text, int& value);

// No sign; at most 4294967295. False for anything else, an empty text included.
bool ParseUnsignedText(std::wstring_view text, uint32_t& value);

}  // namespace fw

// The rename template: a short text whose "%" codes build a new file name from the
// old one, a counter, a number taken from the old name and the file's date and time.
//
//   %[width][:offset][o|i]code
//
//   C c  counter + offset        N n  number in the name + offset (width pads both)
//   W w  name up to its first digit
//   F f  name up to its last dot  E e  text after the last dot
//   Y M D h m s  year, month, day, hour, minute, second (fixed widths)
//   any other character inserts itself ("%%" gives "%")
//
// "o" upper-cases the piece and "i" lower-cases it (single-byte letters only).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "framework/core/codepage.h"
#include "framework/core/local_time.h"

namespace fileops {

// The longest path, and so the longest name, the platform takes: 259 bytes.
inline constexpr size_t kMaxPathBytes = 259;

// A file's last-write time in local time. All fields are 0 when the time is not
// known (the file could not be looked up): the date codes then write 0000, 00 ...
using fw::LocalTime;
using fw::ToLocalTime;

// The new name for `name` by `pattern`. Never fails and validates nothing.
//  - The name splits at its last "." that is not its first character: base before,
//    extension after (a name without such a dot is all base). The prefix is the base
//    up to its first digit; the number is the value of the digit run starting there
//    (0 without digits).
//  - A "%" at the end of the pattern, or after its width, offset or case letter,
//    inserts nothing.
//  - Widths count characters like printf's "%0*d" (a minus sign counts). Digit runs
//    (widths, offsets, numbers in names) longer than 18 digits read as
//    999999999999999999.
//  - Double-byte characters of `name` and `pattern` are never split.
//  - The result is held to `limit` bytes: an expansion that would be longer ends
//    before the first character that does not fit whole. The caller's validation
//    then judges the name (with its folder it may still be too long).
std::string ExpandTemplate(std::string_view name, std::string_view pattern, const LocalTime& time,
                           int32_t counter, const fw::CodePage& codePage = fw::SystemCodePage(),
                           size_t limit = kMaxPathBytes);

}  // namespace fileops

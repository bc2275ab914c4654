// Fuzzes the rename template: any name, pattern and counter gives a result within the
// limit that is the longest whole-character prefix of the unlimited expansion.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "fileops/rename_template.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 5)
        return 0;
    int32_t counter;
    std::memcpy(&counter, data, sizeof counter);
    const size_t limit = data[4];
    std::string input(reinterpret_cast<const char*>(data + 5), size - 5);
    size_t cut = input.find('\0');
    if (cut == std::string::npos)
        return 0;
    const std::string name = input.substr(0, cut);
    const std::string pattern = input.substr(cut + 1);
    const fw::CodePage& cp = fw::CodePage932();
    const fileops::LocalTime time{2001, 12, 3, 15, 45, 2};

    const std::string result = fileops::ExpandTemplate(name, pattern, time, counter, cp, limit);
    const std::string longer = fileops::ExpandTemplate(name, pattern, time, counter, cp, limit + 600);
    if (result.size() > limit || longer.compare(0, result.size(), result) != 0)
        std::abort();
    // Ends on a character boundary of the longer text, and stops only when the next
    // character would not fit.
    size_t end = 0;
    while (end < result.size())
        end = cp.Next(longer.data(), end, longer.size());
    if (end != result.size())
        std::abort();
    if (longer.size() > result.size() &&
        result.size() + cp.CharLength(longer.data(), end, longer.size()) <= limit)
        std::abort();
    return 0;
}

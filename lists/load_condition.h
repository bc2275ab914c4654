// The load condition of loading by folder and `ConditionMatch`.
#pragma once

#include <cstdint>
#include <string>

#include "framework/core/codepage.h"
#include "framework/core/filesystem.h"

namespace lists {

// The values of the condition dialog. A default-constructed condition is the one a
// new dialog starts with; a list window's own condition takes `subfolders` from the
// profile instead.
struct LoadCondition {
    std::string title;
    std::string folder;
    bool subfolders = false;
    std::string namePattern;
    bool minimumOn = false;
    uint32_t minimumKBytes = 0;
    bool maximumOn = false;
    uint32_t maximumKBytes = 99999;
};

// The size bounds: with the minimum on, a size below minimum KBytes x 1024 is refused;
// with the maximum on, a size above maximum KBytes x 1024. Both bounds are inclusive;
// the products are taken in unsigned 32-bit arithmetic, as the sizes are the low
// 32 bits of the file size.
bool SizeWithinBounds(const LoadCondition& condition, uint32_t sizeLow);

// `ConditionMatch`: the path lies in the folder (compared ignoring the case of ASCII
// letters; directly in it unless sub-folders are on), passes the name pattern when
// one is given, and the file's size (0 when it cannot be found) is within the bounds.
// An empty folder or name pattern skips that test.
bool ConditionMatch(const LoadCondition& condition, const std::string& path, fw::FileSystem& fs,
                    const fw::CodePage& codePage = fw::SystemCodePage());

}  // namespace lists

// Path scanning by characters: the trail byte of a double-byte character may be 0x5C
// and is never a separator.
#pragma once

#include <string>
#include <string_view>

#include "framework/core/codepage.h"

namespace fileops {

// Index of the last "\" of `path` (npos when there is none).
inline size_t LastSeparator(std::string_view path, const fw::CodePage& cp)
{
    size_t last = std::string_view::npos;
    for (size_t i = 0; i < path.size(); i = cp.Next(path.data(), i, path.size()))
        if (path[i] == '\\')
            last = i;
    return last;
}

// The part after the last "\" (the whole path without one).
inline std::string_view FileNamePart(std::string_view path, const fw::CodePage& cp)
{
    size_t last = LastSeparator(path, cp);
    return last == std::string_view::npos ? path : path.substr(last + 1);
}

// A folder as the move command uses it: with one "\" at its end (the last character,
// not the last byte, is looked at).
inline std::string WithSeparator(std::string folder, const fw::CodePage& cp)
{
    if (folder.empty() || LastSeparator(folder, cp) != folder.size() - 1)
        folder.push_back('\\');
    return folder;
}

}  // namespace fileops

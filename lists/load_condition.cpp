#include "lists/load_condition.h"

#include "framework/core/ascii.h"
#include "framework/core/path.h"
#include "lists/filter_match.h"

namespace lists {

namespace {

// True when `path` lies in `folder` (and, without sub-folders, directly in it).
bool InFolder(const std::string& folder, bool subfolders, const std::string& path, const fw::CodePage& cp)
{
    if (path.size() < folder.size())
        return false;
    std::string prefix = folder;
    if (!fw::EndsWithSeparator(prefix, cp))
        prefix += '\\';
    if (path.size() < prefix.size())
        return false;
    // Character by character: single bytes ignore ASCII case, double-byte characters
    // must be equal in both bytes.
    for (size_t i = 0; i < prefix.size();) {
        size_t length = cp.CharLength(prefix.data(), i, prefix.size());
        if (length == 2) {
            if (cp.CharLength(path.data(), i, path.size()) != 2 || path.compare(i, 2, prefix, i, 2) != 0)
                return false;
        } else {
            if (cp.CharLength(path.data(), i, path.size()) != 1 ||
                fw::AsciiUpper(path[i]) != fw::AsciiUpper(prefix[i]))
                return false;
        }
        i += length;
    }
    if (subfolders)
        return true;
    for (size_t i = prefix.size(); i < path.size(); i = cp.Next(path.data(), i, path.size()))
        if (path[i] == '\\')
            return false;
    return true;
}

}  // namespace

bool SizeWithinBounds(const LoadCondition& condition, uint32_t sizeLow)
{
    if (condition.minimumOn && sizeLow < condition.minimumKBytes * 1024u)
        return false;
    if (condition.maximumOn && sizeLow > condition.maximumKBytes * 1024u)
        return false;
    return true;
}

bool ConditionMatch(const LoadCondition& condition, const std::string& path, fw::FileSystem& fs,
                    const fw::CodePage& codePage)
{
    if (!condition.folder.empty() && !InFolder(condition.folder, condition.subfolders, path, codePage))
        return false;
    if (!condition.namePattern.empty() && !FilterPattern(condition.namePattern, codePage).Matches(path))
        return false;
    fw::FileInfo info;
    uint32_t size = fs.Find(path, info) ? info.sizeLow : 0;
    return SizeWithinBounds(condition, size);
}

}  // namespace lists

#include "framework/core/path.h"

namespace fw {

size_t LastSeparator(std::string_view path, const CodePage& cp)
{
    size_t last = std::string_view::npos;
    for (size_t i = 0; i < path.size(); i = cp.Next(path.data(), i, path.size()))
        if (path[i] == '\\')
            last = i;
    return last;
}

bool EndsWithSeparator(std::string_view path, const CodePage& cp)
{
    if (path.empty())
        return false;
    const size_t last = cp.Prev(path.data(), path.size());
    return path[last] == '\\' && last == path.size() - 1;
}

std::string_view FileNameOf(std::string_view path, const CodePage& cp)
{
    const size_t last = LastSeparator(path, cp);
    return last == std::string_view::npos ? path : path.substr(last + 1);
}

std::string ParentOf(std::string_view path, const CodePage& cp)
{
    const size_t last = LastSeparator(path, cp);
    return last == std::string_view::npos ? std::string() : std::string(path.substr(0, last));
}

std::string WithSeparator(std::string folder, const CodePage& cp)
{
    if (!EndsWithSeparator(folder, cp))
        folder.push_back('\\');
    return folder;
}

std::string WithoutSeparator(std::string folder, const CodePage& cp)
{
    if (EndsWithSeparator(folder, cp))
        folder.pop_back();
    return folder;
}

std::string JoinPath(std::string_view folder, std::string_view name, const CodePage& cp)
{
    if (folder.empty())
        return std::string(name);
    std::string joined(folder);
    if (!EndsWithSeparator(folder, cp))
        joined.push_back('\\');
    return joined.append(name);
}

size_t ExtensionDot(std::string_view path, const CodePage& cp)
{
    for (size_t i = path.size(); i > 0;) {
        i = cp.Prev(path.data(), i);
        if (i == 0 || path[i] == '\\')
            break;
        if (path[i] == '.' && cp.CharLength(path.data(), i, path.size()) == 1)
            return i;
    }
    return std::string_view::npos;
}

std::string WithExtension(std::string_view path, std::string_view extension, const CodePage& cp)
{
    return std::string(path.substr(0, ExtensionDot(path, cp))).append(extension);
}

std::wstring ParentOf(std::wstring_view path)
{
    const size_t last = path.find_last_of(L'\\');
    return last == std::wstring_view::npos ? std::wstring() : std::wstring(path.substr(0, last));
}

std::wstring WithExtension(std::wstring_view path, std::wstring_view extension)
{
    const size_t last = path.find_last_of(L"\\.");
    const bool dot = last != std::wstring_view::npos && last > 0 && path[last] == L'.';
    return std::wstring(path.substr(0, dot ? last : path.size())).append(extension);
}

size_t RootLength(std::string_view path, const CodePage& cp)
{
    if (path.size() >= 3 && path[1] == ':' && path[2] == '\\')
        return 3;
    if (path.starts_with("\\\\")) {
        int separators = 0;
        for (size_t i = 2; i < path.size(); i = cp.Next(path.data(), i, path.size()))
            if (path[i] == '\\' && ++separators == 2)
                return i + 1;
        return path.size();
    }
    return 0;
}

bool CreateFolderPath(std::string_view path, const std::function<bool(const std::string&)>& isFolder,
                      const std::function<bool(const std::string&)>& create, const CodePage& cp)
{
    const size_t root = RootLength(path, cp);
    if (root > 0 && !isFolder(std::string(path.substr(0, root))))
        return false;
    bool afterSeparator = root > 0;
    for (size_t i = root; i <= path.size();
         i = i < path.size() ? cp.Next(path.data(), i, path.size()) : i + 1) {
        const bool separator = i == path.size() || path[i] == '\\';
        // A doubled or final "\" adds no level.
        if (separator && !afterSeparator && i > root) {
            const std::string level(path.substr(0, i));
            if (!isFolder(level) && !create(level))
                return false;
        }
        afterSeparator = separator && i < path.size();
    }
    return true;
}

}  // namespace fw

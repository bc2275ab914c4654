// Paths as byte strings in the ANSI code page, scanned by characters so that the
// trail byte of a double-byte character (which may be 0x5C) is never taken for a
// separator. Only "\" separates; every function takes the code page to scan with.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "framework/core/codepage.h"

namespace fw {

// Index of the last "\" of `path`, npos when it has none.
size_t LastSeparator(std::string_view path, const CodePage& cp = SystemCodePage());

// Whether the last character (not merely the last byte) is "\".
bool EndsWithSeparator(std::string_view path, const CodePage& cp = SystemCodePage());

// The part after the last "\" (the whole path without one).
std::string_view FileNameOf(std::string_view path, const CodePage& cp = SystemCodePage());

// Everything before the last "\"; empty when there is none.
std::string ParentOf(std::string_view path, const CodePage& cp = SystemCodePage());

// The folder with one "\" at its end, added unless its last character is one.
std::string WithSeparator(std::string folder, const CodePage& cp = SystemCodePage());

// The folder without the "\" its last character may be.
std::string WithoutSeparator(std::string folder, const CodePage& cp = SystemCodePage());

// Folder and name with one "\" between them (none added after a folder that ends in
// one, such as a drive root); an empty folder gives the name.
std::string JoinPath(std::string_view folder, std::string_view name, const CodePage& cp = SystemCodePage());

// Index of the "." that starts the file name's extension: the last one after the last
// "\", scanning backwards; the path's first character never counts. npos when none.
size_t ExtensionDot(std::string_view path, const CodePage& cp = SystemCodePage());

// The path with its extension (dot included) replaced by `extension`, which brings its
// own dot; appended when the file name has none.
std::string WithExtension(std::string_view path, std::string_view extension,
                          const CodePage& cp = SystemCodePage());

// The same for wide paths, which need no code page.
std::wstring ParentOf(std::wstring_view path);
std::wstring WithExtension(std::wstring_view path, std::wstring_view extension);

// Length of the root that is never created: 3 for "X:\", the length up to and with the
// "\" after the share for "\\server\share\" (the whole path when that is all), else 0.
size_t RootLength(std::string_view path, const CodePage& cp = SystemCodePage());

// Creates the folders of `path` that are missing, one level at a time from below its
// root, which must exist. `isFolder` says whether a level (never ending in "\") exists
// as a folder, `create` makes one. False at the first level that cannot be made.
bool CreateFolderPath(std::string_view path, const std::function<bool(const std::string&)>& isFolder,
                      const std::function<bool(const std::string&)>& create,
                      const CodePage& cp = SystemCodePage());

}  // namespace fw

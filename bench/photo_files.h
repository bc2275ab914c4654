// The photoNN.jpg files bench/photos.sh makes in a folder, in order (or the files of
// another extension made from them).
#pragma once

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

inline std::vector<std::string> PhotoFiles(const std::string& folder, const std::string& extension = "jpg")
{
    std::vector<std::string> files;
    for (int i = 1; i <= 99; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "\\photo%02d.%s", i, extension.c_str());
        if (GetFileAttributesA((folder + name).c_str()) == INVALID_FILE_ATTRIBUTES)
            break;
        files.push_back(folder + name);
    }
    if (files.empty())
        std::fprintf(stderr, "no photoNN.%s files in %s\n", extension.c_str(), folder.c_str());
    return files;
}

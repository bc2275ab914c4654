#include "tests/support/drop_files.h"

#include <shlobj.h>

#include <cstring>

namespace testing_support {

HDROP MakeDrop(const std::vector<std::string>& names)
{
    std::string list;
    for (const std::string& n : names)
        list += n + '\0';
    list += '\0';
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + list.size());
    if (!memory)
        return nullptr;
    auto* header = static_cast<DROPFILES*>(GlobalLock(memory));
    header->pFiles = sizeof(DROPFILES);
    header->fWide = FALSE;
    std::memcpy(reinterpret_cast<char*>(header) + sizeof(DROPFILES), list.data(), list.size());
    GlobalUnlock(memory);
    return static_cast<HDROP>(memory);
}

}  // namespace testing_support

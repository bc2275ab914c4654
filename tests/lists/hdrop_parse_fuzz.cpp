// CF_HDROP blocks other programs might offer: every name read must be a non-empty run
// of at most 259 bytes without a NUL, found within the block, and a block built of
// those names must read back unchanged, wide or not.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "lists/transfer_data.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::vector<uint8_t> block(data, data + size);  // exact size: a read past it is caught
    const auto names =
        lists::ParseHDrop(block.empty() ? nullptr : block.data(), block.size(), lists::SystemUtf16ToAnsi);
    size_t total = 0;
    for (const std::string& name : names) {
        if (name.empty() || name.size() > lists::kMaxPathBytes || name.find('\0') != std::string::npos)
            std::abort();
        total += name.size() + 1;
    }
    for (bool wide : {false, true}) {
        const std::string built = lists::HDropBlock(names, wide, lists::SystemAnsiToUtf16);
        if (total > size || (!names.empty() && lists::ParseHDrop(built.data(), built.size(),
                                                                 lists::SystemUtf16ToAnsi) != names))
            std::abort();
    }
    return 0;
}

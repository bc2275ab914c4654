// Fuzzes ParseHDrop with blocks other programs might offer: every name it returns
// must be a non-empty run of at most 259 bytes without a NUL, found within the block,
// and a block it built itself must read back unchanged.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "lists/transfer_data.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // An exact-size copy, so that any read past the block is caught.
    std::vector<uint8_t> block(data, data + size);
    const std::vector<std::string> names =
        lists::ParseHDrop(block.empty() ? nullptr : block.data(), block.size(), lists::SystemUtf16ToAnsi);
    size_t total = 0;
    for (const std::string& name : names) {
        if (name.empty() || name.size() > lists::kMaxPathBytes || name.find('\0') != std::string::npos)
            std::abort();
        total += name.size() + 1;
    }
    if (total > size)
        std::abort();

    // Names of a sound block come back as they went in, wide or not.
    if (!names.empty()) {
        for (bool wide : {false, true}) {
            const std::string built = lists::HDropBlock(names, wide, lists::SystemAnsiToUtf16);
            if (lists::ParseHDrop(built.data(), built.size(), lists::SystemUtf16ToAnsi) != names)
                std::abort();
        }
    }
    return 0;
}

// Arbitrary bytes into the persisted-property reader: it refuses or reads, never
// crashes, and what it reads writes back to the same properties.
#include <cstdint>
#include <cstdlib>

#include "thumbctl/control/persist_stream.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace thumbctl;
    PersistedProperties loaded;
    BufferReader reader(data, size);
    if (LoadProperties(reader, loaded) != PersistError::kNone)
        return 0;
    if (reader.Consumed() > size)
        std::abort();
    const std::vector<uint8_t> saved = SaveProperties(loaded);
    PersistedProperties again;
    BufferReader second(saved.data(), saved.size());
    if (LoadProperties(second, again) != PersistError::kNone || !(again == loaded) ||
        second.Consumed() != saved.size())
        std::abort();
    return 0;
}

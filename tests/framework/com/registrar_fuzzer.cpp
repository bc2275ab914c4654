// Registration scripts from arbitrary bytes: parsing never crashes, and a script that
// parses registers idempotently and unregisters to a fixed point.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "tests/support/memory_registry.h"
#include "framework/com/registrar_script.h"

namespace {

void Check(std::string_view text)
{
    const fw::reg::ParseResult parsed = fw::reg::ParseScript(text, {{"MODULE", "C:\\a'b\\m.dll"}});
    if (!parsed.ok)
        return;
    testing_support::MemoryRegistry registry;
    if (fw::reg::RegisterScript(parsed.script, registry) != 0)
        __builtin_trap();
    const auto once = registry.Dump();
    if (fw::reg::RegisterScript(parsed.script, registry) != 0 || registry.Dump() != once)
        __builtin_trap();
    fw::reg::UnregisterScript(parsed.script, registry);
    const auto removed = registry.Dump();
    fw::reg::UnregisterScript(parsed.script, registry);
    if (registry.Dump() != removed)
        __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    Check(text);
    // Inside a root block most inputs reach the key grammar instead of failing at once.
    Check("HKCR { " + text + " }");
    return 0;
}

#include "thumbctl/cache/beep.h"

#include <atomic>

#ifdef _WIN32
#include <windows.h>
#endif

namespace thumbctl::cache {
namespace {

void SystemBeep()
{
#ifdef _WIN32
    MessageBeep(0xFFFFFFFF);
#endif
}

std::atomic<BeepHandler> g_beep{nullptr};

}  // namespace

void Beep()
{
    BeepHandler handler = g_beep.load();
    (handler ? handler : &SystemBeep)();
}

BeepHandler SetBeepHandler(BeepHandler handler)
{
    return g_beep.exchange(handler);
}

}  // namespace thumbctl::cache

#include "framework/com/module.h"

#include <atomic>
#include <vector>

extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace fw::com {
namespace {

std::atomic<long> g_objects{0};
std::atomic<long> g_locks{0};

}  // namespace

void Module::AddObject() noexcept
{
    ++g_objects;
}
void Module::RemoveObject() noexcept
{
    --g_objects;
}
void Module::Lock() noexcept
{
    ++g_locks;
}

void Module::Unlock() noexcept
{
    long current = g_locks.load();
    while (current > 0 && !g_locks.compare_exchange_weak(current, current - 1)) {
    }
}

long Module::Objects() noexcept
{
    return g_objects.load();
}
long Module::Locks() noexcept
{
    return g_locks.load();
}

HRESULT Module::CanUnloadNow() noexcept
{
    return g_objects.load() == 0 && g_locks.load() == 0 ? S_OK : S_FALSE;
}

HINSTANCE Module::Instance() noexcept
{
    return reinterpret_cast<HINSTANCE>(&__ImageBase);
}

std::wstring Module::Path()
{
    return ModuleFilePath(Instance());
}

std::wstring ModuleFilePath(HMODULE module)
{
    std::vector<wchar_t> buffer(MAX_PATH);
    for (int attempt = 0; attempt < 8; ++attempt) {
        const DWORD n = GetModuleFileNameW(module, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0)
            return {};
        if (n < buffer.size()) {
            std::wstring path(buffer.data(), n);
            const DWORD longLength = GetLongPathNameW(path.c_str(), nullptr, 0);
            if (longLength == 0)
                return path;
            std::wstring longPath(longLength, L'\0');
            const DWORD written = GetLongPathNameW(path.c_str(), longPath.data(), longLength);
            if (written == 0 || written >= longLength)
                return path;
            longPath.resize(written);
            return longPath;
        }
        buffer.resize(buffer.size() * 2);
    }
    return {};
}

}  // namespace fw::com

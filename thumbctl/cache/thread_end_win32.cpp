#include "thumbctl/cache/thread_end.h"

#include <psapi.h>
#include <winternl.h>

#include <cstddef>
#include <cstdint>

#include "framework/core/ascii.h"

namespace thumbctl::cache {
namespace {

// The loader lock's owner, read from the process environment block as the loader keeps it.
bool OwnsLoaderLock(DWORD threadId)
{
#if defined(_WIN64)
    constexpr size_t kLoaderLockOffset = 0x110;
#else
    constexpr size_t kLoaderLockOffset = 0xA0;
#endif
    // GCC takes the segment read of NtCurrentTeb for a read of offset 0 of nothing.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Warray-bounds"
    const auto* peb = reinterpret_cast<const BYTE*>(NtCurrentTeb()->ProcessEnvironmentBlock);
#pragma GCC diagnostic pop
    const auto* lock = *reinterpret_cast<const RTL_CRITICAL_SECTION* const*>(peb + kLoaderLockOffset);
    return lock && reinterpret_cast<uintptr_t>(lock->OwningThread) == threadId;
}

const void* InstructionPointer(const CONTEXT& context)
{
#if defined(_WIN64)
    return reinterpret_cast<const void*>(context.Rip);
#else
    return reinterpret_cast<const void*>(context.Eip);
#endif
}

}  // namespace

SystemModules::SystemModules()
{
    // ntdll lies in the system folder ("...\system32\ntdll.dll"); its parent holds every
    // other system module, side-by-side assemblies included.
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    size_t n = ntdll ? GetMappedFileNameW(GetCurrentProcess(), ntdll, folder_, MAX_PATH) : 0;
    for (int separators = 0; n > 0 && separators < 2; --n)
        if (folder_[n - 1] == L'\\' && ++separators == 2)
            break;
    length_ = n;
    folder_[n] = L'\0';
}

bool SystemModules::Contains(const void* address) const
{
    if (!length_)
        return false;
    // Code outside every mapping of the process is the host's own: Wine's, beneath ntdll.
    MEMORY_BASIC_INFORMATION memory{};
    if (!VirtualQuery(address, &memory, sizeof memory) || memory.State == MEM_FREE)
        return true;
    if (memory.Type != MEM_IMAGE)
        return false;
    wchar_t name[MAX_PATH];
    const size_t n = GetMappedFileNameW(GetCurrentProcess(), memory.AllocationBase, name, MAX_PATH);
    if (n < length_)
        return false;
    for (size_t i = 0; i < length_; ++i)
        if (fw::AsciiLower(name[i]) != fw::AsciiLower(folder_[i]))
            return false;
    return true;
}

void EndThread(HANDLE thread, DWORD exitCode, const SystemModules& system, DWORD safePointLimitMs)
{
    const DWORD id = GetThreadId(thread);
    const DWORD start = GetTickCount();
    while (SuspendThread(thread) != static_cast<DWORD>(-1)) {
        // The context is there once the thread has stopped. Under Wine a thread is never
        // stopped inside ntdll's own locked sections: they keep signals out.
        CONTEXT context{};
        context.ContextFlags = CONTEXT_CONTROL;
        if (!GetThreadContext(thread, &context) ||
            (!system.Contains(InstructionPointer(context)) && !OwnsLoaderLock(id)) ||
            GetTickCount() - start >= safePointLimitMs)
            break;
        ResumeThread(thread);
        Sleep(1);
    }
    TerminateThread(thread, exitCode);
}

}  // namespace thumbctl::cache

// Ending a thread that overran its limit (a decoder that hangs or loops).
#pragma once

#include <windows.h>

namespace thumbctl::cache {

// The folder of the system's own modules, as the memory manager names mapped files (for
// example "\??\C:\windows\" under Wine, "\Device\HarddiskVolume3\Windows\" on Windows).
class SystemModules {
public:
    SystemModules();
    // Whether `address` lies in code mapped from that folder, or in none the process knows.
    // Takes no lock of the process and allocates nothing, so it may be asked while another
    // thread is stopped.
    bool Contains(const void* address) const;

private:
    wchar_t folder_[MAX_PATH] = {};
    size_t length_ = 0;
};

// Ends `thread` with `exitCode`. A thread ended inside the system's code may hold a lock of
// the whole process there for good (the heap's, GDI's, the loader's, the C runtime's), and
// the next thread to want it waits forever. So the thread is stopped and looked at first:
// while it stands in the system's code or owns the loader lock, it runs on for a moment and
// is looked at again, within `safePointLimitMs`; then it is ended where it stands. A
// decoder overrunning its limit is nearly always in its own code and is ended at once.
void EndThread(HANDLE thread, DWORD exitCode, const SystemModules& system, DWORD safePointLimitMs);

}  // namespace thumbctl::cache

// The module of an in-process server: counts of living objects and server locks
// (what DllCanUnloadNow answers from), and the module's own instance and path.
#pragma once

#include <windows.h>

#include <string>

namespace fw::com {

class Module {
public:
    // Every object of the module adds one for its lifetime (done by ObjectRoot).
    static void AddObject() noexcept;
    static void RemoveObject() noexcept;
    // IClassFactory::LockServer. An unbalanced unlock never takes the count below zero.
    static void Lock() noexcept;
    static void Unlock() noexcept;

    static long Objects() noexcept;
    static long Locks() noexcept;
    // S_OK when no object lives and no lock is held, else S_FALSE.
    static HRESULT CanUnloadNow() noexcept;

    // The module that holds this code (the DLL, or the program it is linked into).
    static HINSTANCE Instance() noexcept;
    // Its full path in long form; empty on failure.
    static std::wstring Path();
};

// The full path of a loaded module in long form; empty on failure.
std::wstring ModuleFilePath(HMODULE module);

}  // namespace fw::com

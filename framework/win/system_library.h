// DLLs from the system folder only. A program started from a folder that holds
// files of unknown origin (downloads, the temporary folder) must not take any of them
// for a DLL: Windows searches the program's own folder first for every DLL that is not
// one of its known DLLs, so only known DLLs are imported, and the rest is loaded here
// by full path once the search has been restricted.
#pragma once

#include <windows.h>

#include <string>

#include "framework/win/handles.h"

namespace fw {

// Restricts this process's DLL search to the system folder (SetDefaultDllDirectories
// where the system has it, else at least takes the current folder out of the search).
// The first call of a program, before anything else loads a DLL.
void RestrictDllSearch();

// `name` (e.g. L"version.dll") from the system folder, by full path.
UniqueModule LoadSystemLibrary(const wchar_t* name);

// A library named by its full path, its own dependencies from its own folder and the
// system folder only.
UniqueModule LoadLibraryAt(const std::string& path);

// The common controls the program's manifest names (version 6 side by side, else the
// system folder's), with `classes` registered; they stay loaded for the process's life.
bool InitCommonControls(DWORD classes);

// An export of `module` as a function pointer of its own type; null when missing.
template <typename Function>
Function ProcAddress(HMODULE module, const char* name)
{
    return module ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)))
                  : nullptr;
}

}  // namespace fw

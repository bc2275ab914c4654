// The module's own type library: loaded once (from the module file, else from the
// ".tlb" beside it), its type information cached thread-safely, and its registration.
#pragma once

#include <oaidl.h>

#include <string>

namespace fw::com {

// Type information of one interface or class of the module's type library. The caller
// gets a new reference.
HRESULT GetModuleTypeInfo(REFGUID guid, ITypeInfo** info) noexcept;

// Loads a type library from `modulePath` itself, else from that path with its extension
// replaced by ".tlb". `loadedFrom` receives the file that worked.
HRESULT LoadTypeLibFromModule(const std::wstring& modulePath, ITypeLib** library,
                              std::wstring* loadedFrom) noexcept;

// Registers the type library of `modulePath`, with the folder of the file it came from
// as help folder.
HRESULT RegisterModuleTypeLib(const std::wstring& modulePath) noexcept;
// Unregisters it; UnRegisterTypeLib is looked up at run time, and where the system has
// none the library stays registered (S_FALSE).
HRESULT UnregisterModuleTypeLib(const std::wstring& modulePath) noexcept;

// Uses another file for GetModuleTypeInfo (tests of classes linked into a program) and
// forgets what was cached. An empty path returns to the module's own file.
void SetModuleTypeLibPath(const std::wstring& path);
// Releases the cached type information (process detach by FreeLibrary).
void ReleaseModuleTypeInfo() noexcept;

}  // namespace fw::com

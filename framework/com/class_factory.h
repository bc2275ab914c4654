// One generic class factory over a table of the module's classes.
#pragma once

#include <objbase.h>

#include <span>

namespace fw::com {

// Makes an object of one class; aggregated when `outer` is not null (see CreateInstance).
using CreateFunction = HRESULT (*)(IUnknown* outer, REFIID riid, void** ppv);

struct ClassEntry {
    const CLSID* clsid;
    CreateFunction create;
};

// DllGetClassObject over `classes`: a new class factory for the first entry with that
// class identifier, else CLASS_E_CLASSNOTAVAILABLE.
HRESULT GetClassObject(std::span<const ClassEntry> classes, REFCLSID clsid, REFIID riid, void** ppv) noexcept;

}  // namespace fw::com

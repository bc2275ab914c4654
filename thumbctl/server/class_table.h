// The classes and registration scripts of the VelmoraThumbCtl server.
#pragma once

#include <windows.h>

#include <span>

#include "framework/com/class_factory.h"

namespace thumbctl {

// Creation functions, defined by the folders that own the classes.
HRESULT CreateThumbControl(IUnknown* outer, REFIID riid, void** ppv);
HRESULT CreatePictureCache(IUnknown* outer, REFIID riid, void** ppv);

// The classes DllGetClassObject serves, in table order.
std::span<const fw::com::ClassEntry> ServerClasses();
// The "REGISTRY" resources DllRegisterServer applies, in order.
std::span<const UINT> RegistrationScripts();

}  // namespace thumbctl

// Entry points of the VelmoraThumbCtl server, exported undecorated through the .def file.
#include <windows.h>

#include <string>

#include "framework/com/class_factory.h"
#include "framework/com/hresult.h"
#include "framework/com/module.h"
#include "framework/com/registrar_win32.h"
#include "framework/com/typelib.h"
#include "thumbctl/server/class_table.h"
#include "thumbctl/server/library_settings_win32.h"

extern "C" {

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved)
{
    if (reason == DLL_PROCESS_ATTACH) {
        DisableThreadLibraryCalls(instance);
        thumbctl::LoadModuleSettings(instance);  // before any class is served
    } else if (reason == DLL_PROCESS_DETACH && reserved == nullptr) {
        // Unloaded by FreeLibrary: the system libraries are still there to release to.
        fw::com::ReleaseModuleTypeInfo();
    }
    return TRUE;
}

STDAPI DllCanUnloadNow()
{
    return fw::com::Module::CanUnloadNow();
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID riid, void** ppv)
{
    return fw::com::GetClassObject(thumbctl::ServerClasses(), clsid, riid, ppv);
}

STDAPI DllRegisterServer()
{
    return fw::com::Guarded([]() -> HRESULT {
        const HMODULE module = fw::com::Module::Instance();
        for (UINT script : thumbctl::RegistrationScripts())
            FW_RETURN_IF_FAILED(fw::com::UpdateRegistryFromResource(module, script, true));
        return fw::com::RegisterModuleTypeLib(fw::com::Module::Path());
    });
}

STDAPI DllUnregisterServer()
{
    return fw::com::Guarded([]() -> HRESULT {
        const HMODULE module = fw::com::Module::Instance();
        HRESULT first = S_OK;
        for (UINT script : thumbctl::RegistrationScripts()) {
            const HRESULT hr = fw::com::UpdateRegistryFromResource(module, script, false);
            if (FAILED(hr) && SUCCEEDED(first))
                first = hr;
        }
        const HRESULT hr = fw::com::UnregisterModuleTypeLib(fw::com::Module::Path());
        if (FAILED(hr) && SUCCEEDED(first))
            first = hr;
        return first;
    });
}

}  // extern "C"

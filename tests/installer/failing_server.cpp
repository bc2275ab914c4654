// A library whose self-registration fails: the installer must report it and go on.
#include <windows.h>

extern "C" HRESULT STDAPICALLTYPE DllRegisterServer()
{
    return E_FAIL;
}
extern "C" HRESULT STDAPICALLTYPE DllUnregisterServer()
{
    return S_OK;
}

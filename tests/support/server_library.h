// The built VelmoraThumbCtl.dll copied beside the test program, loaded once with its
// entry points (see suite_test_uses_server in the project's CMake helpers).
#pragma once

#include <windows.h>

#include <string>

namespace testing_support {

// The copy of VelmoraThumbCtl.dll beside the test program, in long form.
std::wstring LibraryPath();
std::wstring FolderOf(const std::wstring& path);

// The library loaded once for the test program, with its entry points.
struct Library {
    HMODULE module = nullptr;
    HRESULT(STDAPICALLTYPE* getClassObject)(REFCLSID, REFIID, void**) = nullptr;
    HRESULT(STDAPICALLTYPE* registerServer)() = nullptr;
    HRESULT(STDAPICALLTYPE* unregisterServer)() = nullptr;
};
const Library& TheLibrary();

// UTF-8 for messages and traces.
std::string Narrow(const std::wstring& text);

}  // namespace testing_support

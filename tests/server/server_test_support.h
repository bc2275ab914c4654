// Helpers of the server tests: the library beside the test program and registry reads.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "framework/win/handles.h"

namespace server_testing {

// The copy of VelmoraThumbCtl.dll beside the test program, in long form.
std::wstring LibraryPath();
std::wstring FolderOf(const std::wstring& path);

// The library loaded once for the test program, with its entry points.
struct Library {
    HMODULE module = nullptr;
    HRESULT(STDAPICALLTYPE* canUnloadNow)() = nullptr;
    HRESULT(STDAPICALLTYPE* getClassObject)(REFCLSID, REFIID, void**) = nullptr;
    HRESULT(STDAPICALLTYPE* registerServer)() = nullptr;
    HRESULT(STDAPICALLTYPE* unregisterServer)() = nullptr;
};
const Library& TheLibrary();

bool KeyExists(HKEY root, const std::wstring& path);
// A string value; nullopt when the key or value is missing or not a string.
std::optional<std::wstring> ReadString(HKEY root, const std::wstring& path, const std::wstring& name = L"");
std::vector<std::wstring> SubkeyNames(HKEY root, const std::wstring& path);
std::vector<std::wstring> ValueNames(HKEY root, const std::wstring& path);
void WriteString(HKEY root, const std::wstring& path, const std::wstring& name, const std::wstring& value);

// Runs a program of the system folder with `arguments` and returns its exit code
// (-1 when it could not start or did not end within the time limit).
long RunSystemProgram(const std::wstring& program, const std::wstring& arguments, DWORD timeoutMs);

std::string Narrow(const std::wstring& text);

}  // namespace server_testing

#include "tests/support/server_library.h"

#include "framework/com/module.h"
#include "framework/win/handles.h"
#include "framework/core/text.h"

namespace testing_support {

std::wstring FolderOf(const std::wstring& path)
{
    const size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

std::wstring LibraryPath()
{
    return FolderOf(fw::com::Module::Path()) + L"\\VelmoraThumbCtl.dll";
}

const Library& TheLibrary()
{
    static const Library library = [] {
        Library l;
        l.module = LoadLibraryW(LibraryPath().c_str());
        if (l.module) {
            auto find = [&](const char* name) {
                return reinterpret_cast<void*>(GetProcAddress(l.module, name));
            };
            l.canUnloadNow = reinterpret_cast<decltype(l.canUnloadNow)>(find("DllCanUnloadNow"));
            l.getClassObject = reinterpret_cast<decltype(l.getClassObject)>(find("DllGetClassObject"));
            l.registerServer = reinterpret_cast<decltype(l.registerServer)>(find("DllRegisterServer"));
            l.unregisterServer = reinterpret_cast<decltype(l.unregisterServer)>(find("DllUnregisterServer"));
        }
        return l;
    }();
    return library;
}

long RunSystemProgram(const std::wstring& program, const std::wstring& arguments, DWORD timeoutMs)
{
    wchar_t system[MAX_PATH];
    const UINT n = GetSystemDirectoryW(system, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        return -1;
    const std::wstring exe = std::wstring(system) + L"\\" + program;
    std::wstring commandLine = L"\"" + exe + L"\" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
        return -1;
    fw::UniqueHandle processHandle(process.hProcess);
    fw::UniqueHandle threadHandle(process.hThread);
    if (WaitForSingleObject(processHandle.get(), timeoutMs) != WAIT_OBJECT_0)
        return -1;
    DWORD code = 0;
    GetExitCodeProcess(processHandle.get(), &code);
    return static_cast<long>(code);
}

std::string Narrow(const std::wstring& text)
{
    return fw::Utf8FromWide(text);
}

}  // namespace testing_support

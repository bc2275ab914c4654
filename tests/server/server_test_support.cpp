#include "tests/server/server_test_support.h"

#include <algorithm>

#include "framework/com/module.h"
#include "framework/win/strings.h"

namespace server_testing {

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

bool KeyExists(HKEY root, const std::wstring& path)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

std::optional<std::wstring> ReadString(HKEY root, const std::wstring& path, const std::wstring& name)
{
    HKEY raw = nullptr;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &raw) != ERROR_SUCCESS)
        return std::nullopt;
    fw::UniqueKey key(raw);
    DWORD type = 0;
    DWORD bytes = 0;
    if (RegQueryValueExW(key.get(), name.c_str(), nullptr, &type, nullptr, &bytes) != ERROR_SUCCESS ||
        type != REG_SZ)
        return std::nullopt;
    std::wstring value(bytes / sizeof(wchar_t) + 1, L'\0');
    if (RegQueryValueExW(key.get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(value.data()),
                         &bytes) != ERROR_SUCCESS)
        return std::nullopt;
    value.resize(wcsnlen(value.c_str(), value.size()));
    return value;
}

std::vector<std::wstring> SubkeyNames(HKEY root, const std::wstring& path)
{
    std::vector<std::wstring> names;
    HKEY raw = nullptr;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &raw) != ERROR_SUCCESS)
        return names;
    fw::UniqueKey key(raw);
    for (DWORD i = 0; i < 10000; ++i) {
        wchar_t name[256];
        DWORD length = 256;
        if (RegEnumKeyExW(key.get(), i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        names.emplace_back(name, length);
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::wstring> ValueNames(HKEY root, const std::wstring& path)
{
    std::vector<std::wstring> names;
    HKEY raw = nullptr;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &raw) != ERROR_SUCCESS)
        return names;
    fw::UniqueKey key(raw);
    for (DWORD i = 0; i < 10000; ++i) {
        wchar_t name[16384];
        DWORD length = 16384;
        if (RegEnumValueW(key.get(), i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        names.emplace_back(name, length);
    }
    std::sort(names.begin(), names.end());
    return names;
}

void WriteString(HKEY root, const std::wstring& path, const std::wstring& name, const std::wstring& value)
{
    HKEY raw = nullptr;
    if (RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &raw, nullptr) !=
        ERROR_SUCCESS)
        return;
    fw::UniqueKey key(raw);
    RegSetValueExW(key.get(), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
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
    return fw::WideToUtf8(text);
}

}  // namespace server_testing

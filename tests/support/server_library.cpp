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
            l.getClassObject = reinterpret_cast<decltype(l.getClassObject)>(find("DllGetClassObject"));
            l.registerServer = reinterpret_cast<decltype(l.registerServer)>(find("DllRegisterServer"));
            l.unregisterServer = reinterpret_cast<decltype(l.unregisterServer)>(find("DllUnregisterServer"));
        }
        return l;
    }();
    return library;
}

std::string Narrow(const std::wstring& text)
{
    return fw::Utf8FromWide(text);
}

}  // namespace testing_support

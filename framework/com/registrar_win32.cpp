#include "framework/com/registrar_win32.h"

#include <string>

#include "framework/com/hresult.h"
#include "framework/com/module.h"
#include "framework/win/handles.h"
#include "framework/core/text.h"

namespace fw::com {
namespace {

HKEY RootKey(fw::reg::Root root)
{
    switch (root) {
        case fw::reg::Root::ClassesRoot:
            return HKEY_CLASSES_ROOT;
        case fw::reg::Root::CurrentUser:
            return HKEY_CURRENT_USER;
        case fw::reg::Root::LocalMachine:
            return HKEY_LOCAL_MACHINE;
        case fw::reg::Root::Users:
            return HKEY_USERS;
    }
    return HKEY_CLASSES_ROOT;
}

fw::UniqueKey OpenKey(fw::reg::Root root, const std::string& path, REGSAM access, LONG* error)
{
    HKEY key = nullptr;
    *error = RegOpenKeyExW(RootKey(root), fw::WideFromUtf8(path).c_str(), 0, access, &key);
    return fw::UniqueKey(*error == ERROR_SUCCESS ? key : nullptr);
}

}  // namespace

long Win32Registry::CreateKey(fw::reg::Root root, const std::string& path)
{
    HKEY key = nullptr;
    const LONG error = RegCreateKeyExW(RootKey(root), fw::WideFromUtf8(path).c_str(), 0, nullptr, 0,
                                       KEY_WRITE, nullptr, &key, nullptr);
    fw::UniqueKey owner(key);
    return error;
}

bool Win32Registry::KeyExists(fw::reg::Root root, const std::string& path)
{
    LONG error = 0;
    return static_cast<bool>(OpenKey(root, path, KEY_READ, &error));
}

long Win32Registry::DeleteTree(fw::reg::Root root, const std::string& path)
{
    const LONG error = RegDeleteTreeW(RootKey(root), fw::WideFromUtf8(path).c_str());
    return error == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : error;
}

long Win32Registry::DeleteKeyIfEmpty(fw::reg::Root root, const std::string& path)
{
    LONG error = 0;
    fw::UniqueKey key = OpenKey(root, path, KEY_READ, &error);
    if (!key)
        return error == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : error;
    DWORD subkeys = 0;
    DWORD values = 0;
    error = RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values,
                             nullptr, nullptr, nullptr, nullptr);
    if (error != ERROR_SUCCESS)
        return error;
    key.reset();
    if (subkeys != 0 || values != 0)
        return ERROR_SUCCESS;
    error = RegDeleteKeyW(RootKey(root), fw::WideFromUtf8(path).c_str());
    return error == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : error;
}

long Win32Registry::SetValue(fw::reg::Root root, const std::string& path, const fw::reg::Value& value)
{
    LONG error = 0;
    fw::UniqueKey key = OpenKey(root, path, KEY_SET_VALUE, &error);
    if (!key)
        return error;
    const std::wstring name = fw::WideFromUtf8(value.name);
    if (value.isNumber) {
        const DWORD number = value.number;
        return RegSetValueExW(key.get(), name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number),
                              sizeof(number));
    }
    const std::wstring text = fw::WideFromUtf8(value.text);
    return RegSetValueExW(key.get(), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                          static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

long Win32Registry::DeleteValue(fw::reg::Root root, const std::string& path, const std::string& name)
{
    LONG error = 0;
    fw::UniqueKey key = OpenKey(root, path, KEY_SET_VALUE, &error);
    if (!key)
        return error == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : error;
    error = RegDeleteValueW(key.get(), fw::WideFromUtf8(name).c_str());
    return error == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : error;
}

HRESULT UpdateRegistryFromScript(std::string_view script, const fw::reg::Variables& variables,
                                 bool registering, fw::reg::RegistryTarget& target) noexcept
{
    return Guarded([&]() -> HRESULT {
        if (script.starts_with("\xEF\xBB\xBF"))
            script.remove_prefix(3);
        const fw::reg::ParseResult parsed = fw::reg::ParseScript(script, variables);
        if (!parsed.ok)
            return kRegistrationScriptInvalid;
        const long error = registering ? fw::reg::RegisterScript(parsed.script, target)
                                       : fw::reg::UnregisterScript(parsed.script, target);
        return error == 0 ? S_OK : HRESULT_FROM_WIN32(static_cast<DWORD>(error));
    });
}

HRESULT UpdateRegistryFromResource(HMODULE module, UINT id, bool registering) noexcept
{
    return Guarded([&]() -> HRESULT {
        HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(id), L"REGISTRY");
        if (!found)
            return HRESULT_FROM_WIN32(ERROR_RESOURCE_NAME_NOT_FOUND);
        HGLOBAL loaded = LoadResource(module, found);
        const void* data = loaded ? LockResource(loaded) : nullptr;
        if (!data)
            return HRESULT_FROM_WIN32(GetLastError());
        const std::string_view script(static_cast<const char*>(data), SizeofResource(module, found));
        const std::wstring path = ModuleFilePath(module);
        if (path.empty())
            return HRESULT_FROM_WIN32(GetLastError());
        fw::reg::Variables variables{{"MODULE", fw::Utf8FromWide(path)}};
        Win32Registry registry;
        return UpdateRegistryFromScript(script, variables, registering, registry);
    });
}

}  // namespace fw::com

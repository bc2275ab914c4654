// Registration scripts applied to the Win32 registry.
#pragma once

#include <windows.h>

#include <string_view>

#include "framework/com/registrar_script.h"

namespace fw::com {

// A script that does not parse.
inline constexpr HRESULT kRegistrationScriptInvalid = HRESULT_FROM_WIN32(ERROR_INVALID_DATA);

class Win32Registry : public fw::reg::RegistryTarget {
public:
    long CreateKey(fw::reg::Root root, const std::string& path) override;
    bool KeyExists(fw::reg::Root root, const std::string& path) override;
    long DeleteTree(fw::reg::Root root, const std::string& path) override;
    long DeleteKeyIfEmpty(fw::reg::Root root, const std::string& path) override;
    long SetValue(fw::reg::Root root, const std::string& path, const fw::reg::Value& value) override;
    long DeleteValue(fw::reg::Root root, const std::string& path, const std::string& name) override;
};

// Parses `script` (UTF-8) completely, then registers or unregisters it.
HRESULT UpdateRegistryFromScript(std::string_view script, const fw::reg::Variables& variables,
                                 bool registering, fw::reg::RegistryTarget& target) noexcept;

// The script stored in `module` as resource type "REGISTRY" with identifier `id`, with
// %MODULE% standing for the module's full path.
HRESULT UpdateRegistryFromResource(HMODULE module, UINT id, bool registering) noexcept;

}  // namespace fw::com

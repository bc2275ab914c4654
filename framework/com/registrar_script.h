// Registration scripts in the registrar's text form, for example
//
//   HKCR
//   {
//       NoRemove CLSID
//       {
//           ForceRemove {2B070C2D-2366-4F57-B396-5EA7C8CEBBAA} = s 'Some Class'
//           {
//               InprocServer32 = s '%MODULE%'
//               {
//                   val ThreadingModel = s 'Free'
//               }
//           }
//       }
//   }
//
// Tokens are separated by white space; a token that is exactly "{", "}" or "=" is
// punctuation, any other run of non-blank characters is a word (so {GUID} is a name).
// 'Quoted' names and data double a single quote inside. Data types: s (string) and d
// (32-bit number, decimal or 0x hex). %NAME% is replaced by the variable's value with
// its single quotes doubled; %% stands for %. Keywords are not case-sensitive.
//
// Registering creates every listed key and writes every listed value; a ForceRemove key
// is first deleted with everything below it. Unregistering deletes ForceRemove keys with
// everything below them, keeps NoRemove keys (visiting their subkeys), and for any other
// key removes the values the script lists and then the key itself if nothing is left in
// it. A script is parsed completely before anything is written.
//
// This file is portable; the Win32 registry is one RegistryTarget (registrar_win32.h).
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace fw::reg {

enum class Root { ClassesRoot, CurrentUser, LocalMachine, Users };

enum class KeyFlag { None, NoRemove, ForceRemove };

struct Value {
    std::string name;  // empty: the key's default value
    bool isNumber = false;
    std::string text;  // UTF-8 (or the script's bytes)
    std::uint32_t number = 0;

    bool operator==(const Value&) const = default;
};

struct Key {
    std::string name;
    KeyFlag flag = KeyFlag::None;
    std::vector<Value> values;  // the default value, if any, is the one with an empty name
    std::vector<Key> subkeys;
};

struct RootBlock {
    Root root = Root::ClassesRoot;
    std::vector<Key> keys;
};

struct Script {
    std::vector<RootBlock> blocks;
};

struct ParseResult {
    bool ok = false;
    std::string error;  // what went wrong, with its line
    int line = 0;
    Script script;
};

using Variables = std::map<std::string, std::string>;

ParseResult ParseScript(std::string_view text, const Variables& variables);

// Where a script is applied. Paths are key names below the root joined by '\'.
// Results are Win32 error codes (0 for success).
class RegistryTarget {
public:
    virtual ~RegistryTarget() = default;
    virtual long CreateKey(Root root, const std::string& path) = 0;
    virtual bool KeyExists(Root root, const std::string& path) = 0;
    // Deletes the key with all its subkeys and values; a missing key is success.
    virtual long DeleteTree(Root root, const std::string& path) = 0;
    // Deletes the key only if it has neither subkeys nor values; a missing key is success.
    virtual long DeleteKeyIfEmpty(Root root, const std::string& path) = 0;
    virtual long SetValue(Root root, const std::string& path, const Value& value) = 0;
    // A missing value is success.
    virtual long DeleteValue(Root root, const std::string& path, const std::string& name) = 0;
};

// Registers (writes) or unregisters (removes) what the script lists. A failed
// registration undoes what it can by unregistering, and returns the first error.
long RegisterScript(const Script& script, RegistryTarget& target);
long UnregisterScript(const Script& script, RegistryTarget& target);

}  // namespace fw::reg

// An in-memory registry for running registration scripts without Windows (tests,
// fuzzing). Key and value names compare without regard to ASCII case, as in Windows.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "framework/com/registrar_script.h"

namespace testing_support {

using fw::reg::RegistryTarget;
using fw::reg::Root;
using fw::reg::Value;

class MemoryRegistry : public RegistryTarget {
public:
    long CreateKey(Root root, const std::string& path) override;
    bool KeyExists(Root root, const std::string& path) override { return keys_.count(Full(root, path)) != 0; }
    long DeleteTree(Root root, const std::string& path) override;
    long DeleteKeyIfEmpty(Root root, const std::string& path) override;
    long SetValue(Root root, const std::string& path, const Value& value) override;
    long DeleteValue(Root root, const std::string& path, const std::string& name) override;

    // Every key and value, one line each, sorted: "HKCR\A\B" for a key,
    // "HKCR\A\B @=s:text" for the default value, "HKCR\A\B [Name]=d:42" for a named one.
    std::vector<std::string> Dump() const;

    // The next write whose key path equals `path` (any root) fails with `error`.
    void FailWritesTo(const std::string& path, long error) { failPath_ = path, failError_ = error; }

private:
    struct Less {
        bool operator()(const std::string& a, const std::string& b) const;
    };
    // A key as first spelled, and its values.
    struct Key {
        std::string spelling;
        std::map<std::string, Value, Less> values;
    };
    static std::string Full(Root root, const std::string& path);
    long CheckFailure(const std::string& path);
    // Every key by its full path ("HKCR\A\B").
    std::map<std::string, Key, Less> keys_;
    std::string failPath_;
    long failError_ = 0;
};

}  // namespace testing_support

#include "tests/support/memory_registry.h"

#include <algorithm>
#include <cctype>
#include <utility>

namespace testing_support {
namespace {

constexpr long kErrorFileNotFound = 2;
constexpr long kErrorAccessDenied = 5;

}  // namespace

bool MemoryRegistry::Less::operator()(const std::string& a, const std::string& b) const
{
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) < std::tolower(static_cast<unsigned char>(y));
    });
}

std::string MemoryRegistry::Full(Root root, const std::string& path)
{
    static const char* const kNames[] = {"HKCR", "HKCU", "HKLM", "HKU"};  // in the order of Root
    return kNames[static_cast<size_t>(root)] + ("\\" + path);
}

long MemoryRegistry::CheckFailure(const std::string& path)
{
    if (failError_ == 0 || Less()(path, failPath_) || Less()(failPath_, path))
        return 0;
    return std::exchange(failError_, 0);
}

long MemoryRegistry::CreateKey(Root root, const std::string& path)
{
    if (long error = CheckFailure(path))
        return error;
    std::string full = Full(root, ""), spelling = full;
    full.pop_back();
    spelling.pop_back();
    for (size_t start = 0, end; start <= path.size(); start = end + 1) {
        end = std::min(path.find('\\', start), path.size());
        if (end == start)
            return kErrorAccessDenied;
        full += "\\" + path.substr(start, end - start);
        Key& key = keys_[full];
        if (key.spelling.empty())
            key.spelling = spelling + "\\" + path.substr(start, end - start);
        spelling = key.spelling;
    }
    return 0;
}

long MemoryRegistry::DeleteTree(Root root, const std::string& path)
{
    if (long error = CheckFailure(path))
        return error;
    const std::string full = Full(root, path), below = full + "\\";
    keys_.erase(full);
    auto it = keys_.lower_bound(below);
    while (it != keys_.end() && !Less()(below, it->first.substr(0, below.size())))
        it = keys_.erase(it);
    return 0;
}

long MemoryRegistry::DeleteKeyIfEmpty(Root root, const std::string& path)
{
    const auto key = keys_.find(Full(root, path));
    const std::string below = Full(root, path) + "\\";
    const auto sub = keys_.lower_bound(below);
    const bool subkeys = sub != keys_.end() && !Less()(below, sub->first.substr(0, below.size()));
    return key == keys_.end() || !key->second.values.empty() || subkeys ? 0 : DeleteTree(root, path);
}

long MemoryRegistry::SetValue(Root root, const std::string& path, const Value& value)
{
    if (long error = CheckFailure(path))
        return error;
    const auto key = keys_.find(Full(root, path));
    if (key == keys_.end())
        return kErrorFileNotFound;
    key->second.values[value.name] = value;
    return 0;
}

long MemoryRegistry::DeleteValue(Root root, const std::string& path, const std::string& name)
{
    if (long error = CheckFailure(path))
        return error;
    if (const auto key = keys_.find(Full(root, path)); key != keys_.end())
        key->second.values.erase(name);
    return 0;
}

std::vector<std::string> MemoryRegistry::Dump() const
{
    std::vector<std::string> lines;
    for (const auto& [full, key] : keys_) {
        lines.push_back(key.spelling);
        for (const auto& [name, value] : key.values)
            lines.push_back(key.spelling + (name.empty() ? std::string(" @") : " [" + name + "]") + "=" +
                            (value.isNumber ? "d:" + std::to_string(value.number) : "s:" + value.text));
    }
    std::sort(lines.begin(), lines.end());
    return lines;
}

}  // namespace testing_support

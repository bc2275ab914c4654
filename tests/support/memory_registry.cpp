#include "tests/support/memory_registry.h"

#include <algorithm>
#include <cctype>

namespace testing_support {
namespace {

constexpr long kErrorFileNotFound = 2;
constexpr long kErrorAccessDenied = 5;

std::vector<std::string> Split(const std::string& path)
{
    std::vector<std::string> parts(1);
    for (char c : path) {
        if (c == '\\')
            parts.emplace_back();
        else
            parts.back() += c;
    }
    return parts;
}

const char* RootName(Root root)
{
    static const char* const kNames[] = {"HKCR", "HKCU", "HKLM", "HKU"};  // in the order of Root
    return kNames[static_cast<size_t>(root)];
}

}  // namespace

bool MemoryRegistry::Less::operator()(const std::string& a, const std::string& b) const
{
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) < std::tolower(static_cast<unsigned char>(y));
    });
}

struct MemoryRegistry::Node {
    std::map<std::string, Value, Less> values;
    std::map<std::string, std::unique_ptr<Node>, Less> keys;
};

MemoryRegistry::MemoryRegistry()
{
    for (Root root : {Root::ClassesRoot, Root::CurrentUser, Root::LocalMachine, Root::Users})
        roots_[root] = std::make_unique<Node>();
}

MemoryRegistry::~MemoryRegistry() = default;

void MemoryRegistry::FailWritesTo(const std::string& path, long error)
{
    failPath_ = path;
    failError_ = error;
}

long MemoryRegistry::CheckFailure(const std::string& path)
{
    if (failError_ == 0 || !(!Less()(path, failPath_) && !Less()(failPath_, path)))
        return 0;
    const long error = failError_;
    failError_ = 0;
    return error;
}

MemoryRegistry::Node* MemoryRegistry::Find(Root root, const std::string& path)
{
    Node* node = roots_[root].get();
    for (const std::string& part : Split(path)) {
        auto found = node->keys.find(part);
        if (found == node->keys.end())
            return nullptr;
        node = found->second.get();
    }
    return node;
}

long MemoryRegistry::CreateKey(Root root, const std::string& path)
{
    if (long error = CheckFailure(path))
        return error;
    Node* node = roots_[root].get();
    for (const std::string& part : Split(path)) {
        if (part.empty())
            return kErrorAccessDenied;
        std::unique_ptr<Node>& child = node->keys[part];
        if (!child)
            child = std::make_unique<Node>();
        node = child.get();
    }
    return 0;
}

bool MemoryRegistry::KeyExists(Root root, const std::string& path)
{
    return Find(root, path) != nullptr;
}

long MemoryRegistry::DeleteTree(Root root, const std::string& path)
{
    if (long error = CheckFailure(path))
        return error;
    const size_t slash = path.rfind('\\');
    Node* parent = slash == std::string::npos ? roots_[root].get() : Find(root, path.substr(0, slash));
    if (!parent)
        return 0;
    parent->keys.erase(slash == std::string::npos ? path : path.substr(slash + 1));
    return 0;
}

long MemoryRegistry::DeleteKeyIfEmpty(Root root, const std::string& path)
{
    Node* node = Find(root, path);
    if (!node || !node->keys.empty() || !node->values.empty())
        return 0;
    return DeleteTree(root, path);
}

long MemoryRegistry::SetValue(Root root, const std::string& path, const Value& value)
{
    if (long error = CheckFailure(path))
        return error;
    Node* node = Find(root, path);
    if (!node)
        return kErrorFileNotFound;
    node->values[value.name] = value;
    return 0;
}

long MemoryRegistry::DeleteValue(Root root, const std::string& path, const std::string& name)
{
    if (long error = CheckFailure(path))
        return error;
    if (Node* node = Find(root, path))
        node->values.erase(name);
    return 0;
}

std::vector<std::string> MemoryRegistry::Dump() const
{
    std::vector<std::string> lines;
    struct Walker {
        std::vector<std::string>& out;
        void Walk(const std::string& path, const Node& node)
        {
            for (const auto& [name, value] : node.values) {
                std::string line = path + (name.empty() ? std::string(" @") : " [" + name + "]") + "=";
                line += value.isNumber ? "d:" + std::to_string(value.number) : "s:" + value.text;
                out.push_back(line);
            }
            for (const auto& [name, child] : node.keys) {
                const std::string childPath = path + "\\" + name;
                out.push_back(childPath);
                Walk(childPath, *child);
            }
        }
    };
    Walker walker{lines};
    for (const auto& [root, node] : roots_)
        walker.Walk(RootName(root), *node);
    std::sort(lines.begin(), lines.end());
    return lines;
}

}  // namespace testing_support

#include "framework/core/memory_filesystem.h"

#include <algorithm>

namespace fw {

class MemoryFileSystem::Output final : public OutputFile {
public:
    Output(MemoryFileSystem& fs, std::string key) : fs_(fs), key_(std::move(key)) {}

    size_t Write(const void* data, size_t size) override
    {
        auto it = fs_.nodes_.find(key_);
        if (it == fs_.nodes_.end())
            return 0;
        size_t allowed = size;
        if (fs_.writeBudget_ >= 0) {
            allowed = std::min<size_t>(size, static_cast<size_t>(fs_.writeBudget_));
            fs_.writeBudget_ -= static_cast<int64_t>(allowed);
        }
        it->second.content.append(static_cast<const char*>(data), allowed);
        return allowed;
    }

    bool Close() override { return true; }

private:
    MemoryFileSystem& fs_;
    std::string key_;
};

std::string MemoryFileSystem::Key(const std::string& path)
{
    std::string key = path;
    while (key.size() > 3 && key.back() == '\\')
        key.pop_back();
    for (char& c : key)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return key;
}

std::string MemoryFileSystem::Parent(const std::string& path)
{
    size_t cut = path.find_last_of('\\');
    if (cut == std::string::npos || cut < 2)
        return std::string();
    return path.substr(0, cut == 2 ? 3 : cut);
}

void MemoryFileSystem::AddFolder(const std::string& path, uint32_t extraAttributes)
{
    std::string parent = Parent(path);
    if (!parent.empty() && parent != path && !Exists(parent))
        AddFolder(parent);
    Node& node = nodes_[Key(path)];
    node.path = path;
    node.attributes = kAttrDirectory | extraAttributes;
    node.order = nextOrder_++;
}

void MemoryFileSystem::AddFile(const std::string& path, const std::string& content, uint64_t lastWrite,
                               int64_t size)
{
    std::string parent = Parent(path);
    if (!parent.empty() && !Exists(parent))
        AddFolder(parent);
    Node& node = nodes_[Key(path)];
    node.path = path;
    node.attributes = kAttrArchive;
    node.content = content;
    node.size = size;
    node.lastWrite = lastWrite;
    node.order = nextOrder_++;
}

bool MemoryFileSystem::Exists(const std::string& path) const
{
    return nodes_.count(Key(path)) != 0;
}

std::string MemoryFileSystem::Content(const std::string& path) const
{
    auto it = nodes_.find(Key(path));
    return it == nodes_.end() ? std::string() : it->second.content;
}

std::vector<std::string> MemoryFileSystem::Files() const
{
    std::vector<std::string> files;
    for (const auto& [key, node] : nodes_)
        if (!(node.attributes & kAttrDirectory))
            files.push_back(node.path);
    return files;
}

uint32_t MemoryFileSystem::Attributes(const std::string& path)
{
    auto it = nodes_.find(Key(path));
    return it == nodes_.end() ? kAttrInvalid : it->second.attributes;
}

bool MemoryFileSystem::Find(const std::string& path, FileInfo& info)
{
    auto it = nodes_.find(Key(path));
    if (it == nodes_.end())
        return false;
    const Node& node = it->second;
    info.attributes = node.attributes;
    uint64_t size = node.size >= 0 ? static_cast<uint64_t>(node.size) : node.content.size();
    info.sizeLow = static_cast<uint32_t>(size);
    info.lastWrite = node.lastWrite;
    return true;
}

uint32_t MemoryFileSystem::Enumerate(const std::string& pattern,
                                     const std::function<bool(const DirEntry&)>& onEntry)
{
    // Only "folder\*.*" is supported, which is all the program asks for.
    size_t cut = pattern.find_last_of('\\');
    if (cut == std::string::npos)
        return 3;  // ERROR_PATH_NOT_FOUND
    std::string folder = Key(pattern.substr(0, cut == 2 ? 3 : cut));
    auto dir = nodes_.find(folder);
    if (dir == nodes_.end() || !(dir->second.attributes & kAttrDirectory))
        return 3;
    std::vector<const Node*> children;
    for (const auto& [key, node] : nodes_)
        if (key != folder && Key(Parent(node.path)) == folder)
            children.push_back(&node);
    std::sort(children.begin(), children.end(),
              [](const Node* a, const Node* b) { return a->order < b->order; });
    DirEntry dot;
    dot.info.attributes = kAttrDirectory;
    for (const char* name : {".", ".."}) {
        dot.name = name;
        if (!onEntry(dot))
            return 0;
    }
    for (const Node* node : children) {
        DirEntry entry;
        entry.name = node->path.substr(node->path.find_last_of('\\') + 1);
        Find(node->path, entry.info);
        if (!onEntry(entry))
            break;
    }
    return 0;
}

bool MemoryFileSystem::ReadAll(const std::string& path, std::string& bytes)
{
    auto it = nodes_.find(Key(path));
    if (it == nodes_.end() || (it->second.attributes & kAttrDirectory))
        return false;
    bytes = it->second.content;
    return true;
}

std::unique_ptr<OutputFile> MemoryFileSystem::Create(const std::string& path)
{
    if (failCreate_)
        return nullptr;
    std::string parent = Parent(path);
    if (!parent.empty() && !(Attributes(parent) != kAttrInvalid))
        return nullptr;
    auto it = nodes_.find(Key(path));
    if (it != nodes_.end() && (it->second.attributes & kAttrDirectory))
        return nullptr;
    AddFile(path);
    return std::make_unique<Output>(*this, Key(path));
}

bool MemoryFileSystem::Replace(const std::string& source, const std::string& target)
{
    if (failReplace_)
        return false;
    auto it = nodes_.find(Key(source));
    if (it == nodes_.end())
        return false;
    Node node = it->second;
    nodes_.erase(it);
    node.path = target;
    nodes_[Key(target)] = node;
    return true;
}

bool MemoryFileSystem::Remove(const std::string& path)
{
    return nodes_.erase(Key(path)) != 0;
}

std::string MemoryFileSystem::ErrorText(uint32_t code)
{
    return code == 3 ? "The system cannot find the path specified." : "Error " + std::to_string(code);
}

}  // namespace fw

#include "tests/support/memory_filesystem.h"

#include <algorithm>
#include <string_view>

#include "framework/core/codepage.h"

namespace testing_support {

class MemoryFileSystem::Output final : public fw::OutputFile {
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
    bool Flush() override { return ++fs_.flushes_, true; }

private:
    MemoryFileSystem& fs_;
    std::string key_;
};

std::string MemoryFileSystem::Key(const std::string& path)
{
    std::string key = path;
    while (key.size() > 3 && key.back() == '\\')
        key.pop_back();
    const fw::CodePage& cp = fw::SystemCodePage();
    for (size_t i = 0; i < key.size();) {
        size_t length = cp.CharLength(key.data(), i, key.size());
        if (length == 1 && key[i] >= 'A' && key[i] <= 'Z')
            key[i] = static_cast<char>(key[i] - 'A' + 'a');
        i += length;
    }
    return key;
}

size_t MemoryFileSystem::LastSeparator(const std::string& path)
{
    // By characters: the trail byte of a double-byte character may be 0x5C.
    const fw::CodePage& cp = fw::SystemCodePage();
    size_t cut = std::string::npos;
    for (size_t i = 0; i < path.size(); i = cp.Next(path.data(), i, path.size()))
        if (path[i] == '\\')
            cut = i;
    return cut;
}

std::string MemoryFileSystem::Parent(const std::string& path)
{
    size_t cut = LastSeparator(path);
    if (cut == std::string::npos || cut < 2)
        return std::string();
    return path.substr(0, cut == 2 ? 3 : cut);
}

MemoryFileSystem::Node& MemoryFileSystem::Put(const std::string& path, uint32_t attributes)
{
    const std::string parent = Parent(path);
    if (!parent.empty() && parent != path && !Exists(parent))
        AddFolder(parent);
    Node& node = nodes_[Key(path)];
    std::tie(node.path, node.attributes, node.order) = std::tuple(path, attributes, nextOrder_++);
    return node;
}

void MemoryFileSystem::AddFile(const std::string& path, const std::string& content, uint64_t lastWrite,
                               int64_t size)
{
    Node& node = Put(path, fw::kAttrArchive);
    std::tie(node.content, node.size, node.lastWrite) = std::tie(content, size, lastWrite);
}

std::vector<std::string> MemoryFileSystem::Files() const
{
    std::vector<std::string> files;
    for (const auto& [key, node] : nodes_)
        if (!(node.attributes & fw::kAttrDirectory))
            files.push_back(node.path);
    return files;
}

MemoryFileSystem::Node* MemoryFileSystem::At(const std::string& path)
{
    const auto it = nodes_.find(Key(path));
    return it == nodes_.end() ? nullptr : &it->second;
}

uint32_t MemoryFileSystem::Attributes(const std::string& path)
{
    const Node* node = At(path);
    return node ? node->attributes : fw::kAttrInvalid;
}

bool MemoryFileSystem::Find(const std::string& path, fw::FileInfo& info)
{
    const Node* node = At(path);
    if (!node)
        return false;
    const uint64_t size = node->size >= 0 ? static_cast<uint64_t>(node->size) : node->content.size();
    std::tie(info.attributes, info.sizeLow, info.lastWrite) =
        std::tuple(node->attributes, static_cast<uint32_t>(size), node->lastWrite);
    return true;
}

uint32_t MemoryFileSystem::Enumerate(const std::string& pattern,
                                     const std::function<bool(const fw::DirEntry&)>& onEntry)
{
    // Only "folder\*.*" is supported, which is all the program asks for.
    size_t cut = LastSeparator(pattern);
    if (cut == std::string::npos)
        return 3;  // ERROR_PATH_NOT_FOUND
    std::string folder = Key(pattern.substr(0, cut == 2 ? 3 : cut));
    auto dir = nodes_.find(folder);
    if (dir == nodes_.end() || !(dir->second.attributes & fw::kAttrDirectory))
        return 3;
    if (unreadable_.count(folder))
        return 5;
    std::vector<const Node*> children;
    for (const auto& [key, node] : nodes_)
        if (key != folder && Key(Parent(node.path)) == folder)
            children.push_back(&node);
    std::sort(children.begin(), children.end(),
              [](const Node* a, const Node* b) { return a->order < b->order; });
    fw::DirEntry dot;
    dot.info.attributes = fw::kAttrDirectory;
    for (const char* name : {".", ".."}) {
        dot.name = name;
        if (!onEntry(dot))
            return 0;
    }
    for (const Node* node : children) {
        fw::DirEntry entry;
        entry.name = node->path.substr(LastSeparator(node->path) + 1);
        Find(node->path, entry.info);
        if (!onEntry(entry))
            break;
    }
    return 0;
}

bool MemoryFileSystem::ReadAll(const std::string& path, std::string& bytes)
{
    const Node* node = At(path);
    if (!node || (node->attributes & fw::kAttrDirectory))
        return false;
    bytes = node->content;
    return true;
}

std::unique_ptr<fw::OutputFile> MemoryFileSystem::Create(const std::string& path)
{
    const Node* node = At(path);
    const std::string parent = Parent(path);
    if (failCreate_ || (!parent.empty() && !At(parent)) || (node && (node->attributes & fw::kAttrDirectory)))
        return nullptr;
    AddFile(path);
    return std::make_unique<Output>(*this, Key(path));
}

std::unique_ptr<fw::OutputFile> MemoryFileSystem::Append(const std::string& path)
{
    const Node* node = At(path);
    if (failCreate_ || !node || (node->attributes & fw::kAttrDirectory))
        return nullptr;
    return std::make_unique<Output>(*this, Key(path));
}

bool MemoryFileSystem::Replace(const std::string& source, const std::string& target)
{
    if (failReplace_)
        return false;
    const Node* from = At(source);
    if (!from)
        return false;
    Node node = *from;
    nodes_.erase(Key(source));
    node.path = target;
    nodes_[Key(target)] = node;
    return true;
}

uint32_t MemoryFileSystem::Fault(std::initializer_list<const std::string*> paths)
{
    auto it = failAt_.find(changes_++);
    if (it != failAt_.end()) {
        uint32_t code = it->second;
        failAt_.erase(it);
        return code;
    }
    for (const std::string* path : paths)
        if (locked_.count(Key(*path)))
            return fw::kErrorSharingViolation;
    return 0;
}

uint32_t MemoryFileSystem::RefuseTarget(const std::string& path) const
{
    if (path.size() > 259)
        return fw::kErrorFilenameTooLong;
    const fw::CodePage& cp = fw::SystemCodePage();
    size_t name = LastSeparator(path);
    name = name == std::string::npos ? 0 : name + 1;
    if (name == path.size())
        return fw::kErrorInvalidName;
    for (size_t i = name; i < path.size(); i = cp.Next(path.data(), i, path.size())) {
        auto c = static_cast<unsigned char>(path[i]);
        if (cp.CharLength(path.data(), i, path.size()) == 1 &&
            (c < 0x20 || std::string_view("<>:\"|?*/").find(static_cast<char>(c)) != std::string_view::npos))
            return fw::kErrorInvalidName;
    }
    std::string parent = Parent(path);
    auto it = nodes_.find(Key(parent));
    if (parent.empty() || it == nodes_.end() || !(it->second.attributes & fw::kAttrDirectory))
        return fw::kErrorPathNotFound;
    return 0;
}

uint32_t MemoryFileSystem::CheckTransfer(const std::string& source, const std::string& target)
{
    if (uint32_t fault = Fault({&source, &target}))
        return fault;
    const Node* from = At(source);
    if (!from)
        return fw::kErrorFileNotFound;
    if (from->attributes & fw::kAttrDirectory)
        return fw::kErrorAccessDenied;  // folders are not copied nor moved here
    return RefuseTarget(target);
}

uint32_t MemoryFileSystem::CopyNew(const std::string& source, const std::string& target)
{
    if (uint32_t refused = CheckTransfer(source, target))
        return refused;
    if (At(target))
        return fw::kErrorFileExists;
    Node copy = *At(source);
    copy.path = target;
    copy.attributes |= fw::kAttrArchive;
    copy.order = nextOrder_++;
    nodes_[Key(target)] = std::move(copy);
    return 0;
}

uint32_t MemoryFileSystem::MoveTo(const std::string& source, const std::string& target, bool replace)
{
    if (uint32_t refused = CheckTransfer(source, target))
        return refused;
    if (replace && Key(source).substr(0, 2) != Key(target).substr(0, 2))
        return fw::kErrorNotSameDevice;
    if (const Node* to = At(target); to && Key(source) != Key(target)) {
        if (!replace)
            return fw::kErrorAlreadyExists;
        if (to->attributes & (fw::kAttrDirectory | fw::kAttrReadOnly))
            return fw::kErrorAccessDenied;
    }
    Node node = std::move(*At(source));
    nodes_.erase(Key(source));
    node.path = target;
    nodes_[Key(target)] = std::move(node);
    return 0;
}

uint32_t MemoryFileSystem::Delete(const std::string& path)
{
    if (uint32_t fault = Fault({&path}))
        return fault;
    const Node* node = At(path);
    if (!node)
        return fw::kErrorFileNotFound;
    if (node->attributes & (fw::kAttrDirectory | fw::kAttrReadOnly))
        return fw::kErrorAccessDenied;
    nodes_.erase(Key(path));
    return 0;
}

uint32_t MemoryFileSystem::MakeFolder(const std::string& folder)
{
    std::string path = folder;
    while (path.size() > 3 && path.back() == '\\')
        path.pop_back();
    if (uint32_t fault = Fault({&path}))
        return fault;
    if (At(path))
        return fw::kErrorAlreadyExists;
    if (uint32_t refused = RefuseTarget(path))
        return refused;
    AddFolder(path);
    return 0;
}

uint32_t MemoryFileSystem::SetAttributes(const std::string& path, uint32_t attributes)
{
    Node* node = At(path);
    if (!node)
        return fw::kErrorFileNotFound;
    const uint32_t kept =
        (node->attributes & fw::kAttrDirectory) | (attributes & ~(fw::kAttrDirectory | fw::kAttrNormal));
    node->attributes = kept != 0 ? kept : fw::kAttrNormal;
    return 0;
}

std::string MemoryFileSystem::ErrorText(uint32_t code)
{
    return code == 3 ? "The system cannot find the path specified." : "Error " + std::to_string(code);
}

}  // namespace testing_support

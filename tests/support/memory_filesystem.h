// An in-memory file system with Windows path rules (case-insensitive ASCII,
// backslash separators), for tests and benchmarks on any platform.
#pragma once

#include <initializer_list>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "framework/core/filesystem.h"

namespace testing_support {

class MemoryFileSystem final : public fw::FileSystem {
public:
    // Adds a file (and its parent folders). `content` is the file's bytes; the size
    // reported is `size` when given, else the content length.
    void AddFile(const std::string& path, const std::string& content = std::string(), uint64_t lastWrite = 1,
                 int64_t size = -1);
    void AddFolder(const std::string& path, uint32_t extraAttributes = 0)
    {
        Put(path, fw::kAttrDirectory | extraAttributes);
    }
    bool Exists(const std::string& path) const { return nodes_.count(Key(path)) != 0; }
    // Every file path, in sorted key order.
    std::vector<std::string> Files() const;

    // After `bytes` more bytes have been written, every write comes up short.
    void FailWritesAfter(size_t bytes) { writeBudget_ = static_cast<int64_t>(bytes); }
    void FailReplace(bool fail) { failReplace_ = fail; }
    void FailCreate(bool fail) { failCreate_ = fail; }  // as a read-only medium
    // Flushes of written files to the disk so far.
    size_t Flushes() const { return flushes_; }

    // Faults of the file changes (CopyNew, MoveTo, Delete, MakeFolder) as Windows
    // reports them. A locked path (a file another program holds open) fails every
    // change that touches it with fw::kErrorSharingViolation.
    void Lock(const std::string& path) { locked_.insert(Key(path)); }
    // The change with this index, counting every change from 0, fails with `code`
    // and changes nothing.
    void FailChange(uint64_t index, uint32_t code) { failAt_[index] = code; }
    // Enumerating this folder fails with access denied (5).
    void FailEnumerate(const std::string& folder) { unreadable_.insert(Key(folder)); }

    uint32_t Attributes(const std::string& path) override;
    bool Find(const std::string& path, fw::FileInfo& info) override;
    uint32_t Enumerate(const std::string& pattern,
                       const std::function<bool(const fw::DirEntry&)>& onEntry) override;
    bool ReadAll(const std::string& path, std::string& bytes) override;
    std::unique_ptr<fw::OutputFile> Create(const std::string& path) override;
    std::unique_ptr<fw::OutputFile> Append(const std::string& path) override;
    bool Replace(const std::string& source, const std::string& target) override;
    bool Remove(const std::string& path) override { return nodes_.erase(Key(path)) != 0; }
    std::string ErrorText(uint32_t code) override;
    uint32_t CopyNew(const std::string& source, const std::string& target) override;
    uint32_t MoveTo(const std::string& source, const std::string& target, bool replace) override;
    uint32_t Delete(const std::string& path) override;
    uint32_t MakeFolder(const std::string& path) override;
    uint32_t SetAttributes(const std::string& path, uint32_t attributes) override;
    bool SameFile(const std::string& a, const std::string& b) override
    {
        return Key(a) == Key(b) && Exists(a);
    }

private:
    struct Node {
        std::string path;  // as first given
        uint32_t attributes = fw::kAttrNormal;
        std::string content;
        int64_t size = -1;
        uint64_t lastWrite = 1;
        uint64_t order = 0;  // enumeration order
    };
    class Output;

    static std::string Key(const std::string& path);
    // The node at `path` (null: none); a new or replaced one with these attributes, its folders made.
    Node* At(const std::string& path);
    Node& Put(const std::string& path, uint32_t attributes);
    static size_t LastSeparator(const std::string& path);
    static std::string Parent(const std::string& path);
    // Counts one change and gives the fault it meets (0: none).
    uint32_t Fault(std::initializer_list<const std::string*> paths);
    // Why a new file or folder cannot take this path (0: it can).
    uint32_t RefuseTarget(const std::string& path) const;
    // The fault of a copy or move, a source that is missing or a folder, or a target refused (0: none).
    uint32_t CheckTransfer(const std::string& source, const std::string& target);

    std::map<std::string, Node> nodes_;
    uint64_t nextOrder_ = 0;
    int64_t writeBudget_ = -1;
    bool failReplace_ = false;
    size_t flushes_ = 0;
    bool failCreate_ = false;
    std::set<std::string> locked_;
    std::set<std::string> unreadable_;
    std::map<uint64_t, uint32_t> failAt_;
    uint64_t changes_ = 0;
};

}  // namespace testing_support

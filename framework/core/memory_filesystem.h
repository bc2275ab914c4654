// An in-memory file system with Windows path rules (case-insensitive ASCII,
// backslash separators), for tests and benchmarks on any platform.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "framework/core/filesystem.h"

namespace fw {

class MemoryFileSystem final : public FileSystem {
public:
    // Adds a file (and its parent folders). `content` is the file's bytes; the size
    // reported is `size` when given, else the content length.
    void AddFile(const std::string& path, const std::string& content = std::string(), uint64_t lastWrite = 1,
                 int64_t size = -1);
    void AddFolder(const std::string& path, uint32_t extraAttributes = 0);
    bool Exists(const std::string& path) const;
    std::string Content(const std::string& path) const;
    // Every file path, in sorted key order.
    std::vector<std::string> Files() const;

    // After `bytes` more bytes have been written, every write comes up short.
    void FailWritesAfter(size_t bytes) { writeBudget_ = static_cast<int64_t>(bytes); }
    void FailCreate(bool fail) { failCreate_ = fail; }
    void FailReplace(bool fail) { failReplace_ = fail; }

    uint32_t Attributes(const std::string& path) override;
    bool Find(const std::string& path, FileInfo& info) override;
    uint32_t Enumerate(const std::string& pattern,
                       const std::function<bool(const DirEntry&)>& onEntry) override;
    bool ReadAll(const std::string& path, std::string& bytes) override;
    std::unique_ptr<OutputFile> Create(const std::string& path) override;
    bool Replace(const std::string& source, const std::string& target) override;
    bool Remove(const std::string& path) override;
    std::string ErrorText(uint32_t code) override;

private:
    struct Node {
        std::string path;  // as first given
        uint32_t attributes = kAttrNormal;
        std::string content;
        int64_t size = -1;
        uint64_t lastWrite = 1;
        uint64_t order = 0;  // enumeration order
    };
    class Output;

    static std::string Key(const std::string& path);
    static std::string Parent(const std::string& path);

    std::map<std::string, Node> nodes_;
    uint64_t nextOrder_ = 0;
    int64_t writeBudget_ = -1;
    bool failCreate_ = false;
    bool failReplace_ = false;
};

}  // namespace fw

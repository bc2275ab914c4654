// A scratch folder for tests: an in-memory file system on native builds, a real
// temporary folder under the Win32 file system on Windows. Paths are Windows paths.
#pragma once

#include <memory>
#include <string>

#include "framework/core/filesystem.h"
#include "tests/support/memory_filesystem.h"

namespace testing_support {

class TestFiles {
public:
    TestFiles();
    ~TestFiles();
    TestFiles(const TestFiles&) = delete;
    TestFiles& operator=(const TestFiles&) = delete;

    fw::FileSystem& Fs() { return *fs_; }
    // The scratch folder, without a trailing backslash.
    const std::string& Root() const { return root_; }
    std::string Path(const std::string& relative) const { return root_ + "\\" + relative; }

    // Creates a file (and its folders) and returns its full path.
    std::string AddFile(const std::string& relative, const std::string& content = std::string());
    std::string AddFolder(const std::string& relative);
    void Remove(const std::string& relative);
    std::string Read(const std::string& relative);
    bool Exists(const std::string& relative);

    // The in-memory file system on native builds (to inject failures); null on Windows.
    testing_support::MemoryFileSystem* Memory() { return memory_.get(); }

private:
    bool IsFolder(const std::string& path);
    void MakeFolders(const std::string& path);
    void RemoveTree(const std::string& path);

    std::unique_ptr<testing_support::MemoryFileSystem> memory_;
    fw::FileSystem* fs_ = nullptr;
    std::string root_;
};

}  // namespace testing_support

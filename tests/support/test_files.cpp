#include "tests/support/test_files.h"

#include <atomic>
#include <string>

#include "framework/core/path.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace testing_support {

bool TestFiles::IsFolder(const std::string& path)
{
    const uint32_t attributes = fs_->Attributes(path);
    return attributes != fw::kAttrInvalid && (attributes & fw::kAttrDirectory);
}

TestFiles::TestFiles()
{
#ifdef _WIN32
    static std::atomic<int> counter{0};
    char temp[MAX_PATH] = "";
    GetTempPathA(MAX_PATH, temp);
    root_ = temp + ("suite" + std::to_string(GetCurrentProcessId()) + "_" + std::to_string(counter++));
    fs_ = fw::SystemFileSystem();
#else
    memory_ = std::make_unique<MemoryFileSystem>();
    fs_ = memory_.get();
    root_ = "C:\\scratch";
#endif
    RemoveTree(root_);
    MakeFolders(root_);
}

TestFiles::~TestFiles()
{
    RemoveTree(root_);
}

void TestFiles::MakeFolders(const std::string& path)
{
    if (memory_)
        return memory_->AddFolder(path);
    fw::CreateFolderPath(
        path, [&](const std::string& level) { return IsFolder(level); },
        [&](const std::string& level) { return fs_->MakeFolder(level) == 0; });
}

void TestFiles::RemoveTree(const std::string& path)
{
    if (IsFolder(path)) {
        fs_->Enumerate(path + "\\*.*", [&](const fw::DirEntry& entry) {
            if (entry.name != "." && entry.name != "..") {
                fs_->SetAttributes(path + "\\" + entry.name, fw::kAttrNormal);
                RemoveTree(path + "\\" + entry.name);
            }
            return true;
        });
#ifdef _WIN32
        RemoveDirectoryA(path.c_str());
#endif
    }
    fs_->Remove(path);
}

std::string TestFiles::AddFile(const std::string& relative, const std::string& content)
{
    const std::string path = Path(relative);
    if (memory_)
        memory_->AddFile(path, content);
    else if (MakeFolders(fw::ParentOf(path)); auto out = fs_->Create(path))
        out->Write(content.data(), content.size());
    return path;
}

std::string TestFiles::AddFolder(const std::string& relative)
{
    MakeFolders(Path(relative));
    return Path(relative);
}

void TestFiles::Remove(const std::string& relative)
{
    RemoveTree(Path(relative));
}

std::string TestFiles::Read(const std::string& relative)
{
    std::string bytes;
    fs_->ReadAll(Path(relative), bytes);
    return bytes;
}

bool TestFiles::Exists(const std::string& relative)
{
    return fs_->Attributes(Path(relative)) != fw::kAttrInvalid;
}

}  // namespace testing_support

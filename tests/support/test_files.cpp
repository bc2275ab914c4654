#include "tests/support/test_files.h"

#include <atomic>
#include <string>

#ifdef _WIN32
#include <windows.h>
#endif

namespace testing_support {

#ifdef _WIN32
namespace {

void CreateParents(const std::string& path)
{
    for (size_t i = 3; i < path.size(); ++i) {
        if (IsDBCSLeadByte(static_cast<BYTE>(path[i]))) {
            ++i;
            continue;
        }
        if (path[i] == '\\')
            CreateDirectoryA(path.substr(0, i).c_str(), nullptr);
    }
}

void RemoveTree(const std::string& folder)
{
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((folder + "\\*.*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            std::string name = data.cFileName;
            if (name == "." || name == "..")
                continue;
            std::string full = folder + "\\" + name;
            SetFileAttributesA(full.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(full);
            else
                DeleteFileA(full.c_str());
        } while (FindNextFileA(find, &data));
        FindClose(find);
    }
    RemoveDirectoryA(folder.c_str());
}

}  // namespace

TestFiles::TestFiles()
{
    static std::atomic<int> counter{0};
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    root_ =
        std::string(temp) + "suite" + std::to_string(GetCurrentProcessId()) + "_" + std::to_string(counter++);
    if (!root_.empty() && root_.back() == '\\')
        root_.pop_back();
    RemoveTree(root_);
    CreateDirectoryA(root_.c_str(), nullptr);
    fs_ = fw::SystemFileSystem();
}

TestFiles::~TestFiles()
{
    RemoveTree(root_);
}

std::string TestFiles::AddFile(const std::string& relative, const std::string& content, size_t size)
{
    std::string path = Path(relative);
    CreateParents(path);
    std::string bytes = content;
    if (bytes.size() < size)
        bytes.resize(size, '\0');
    HANDLE file =
        CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        DWORD written = 0;
        if (!bytes.empty())
            WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        CloseHandle(file);
    }
    return path;
}

std::string TestFiles::AddFolder(const std::string& relative)
{
    std::string path = Path(relative);
    CreateParents(path + "\\");
    return path;
}

void TestFiles::Remove(const std::string& relative)
{
    std::string path = Path(relative);
    DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        RemoveTree(path);
    else
        DeleteFileA(path.c_str());
}

#else

TestFiles::TestFiles()
    : memory_(std::make_unique<testing_support::MemoryFileSystem>()), fs_(memory_.get()), root_("C:\\scratch")
{
    memory_->AddFolder(root_);
}

TestFiles::~TestFiles() = default;

std::string TestFiles::AddFile(const std::string& relative, const std::string& content, size_t size)
{
    std::string path = Path(relative);
    std::string bytes = content;
    if (bytes.size() < size)
        bytes.resize(size, '\0');
    memory_->AddFile(path, bytes);
    return path;
}

std::string TestFiles::AddFolder(const std::string& relative)
{
    std::string path = Path(relative);
    memory_->AddFolder(path);
    return path;
}

void TestFiles::Remove(const std::string& relative)
{
    memory_->Remove(Path(relative));
}

#endif

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

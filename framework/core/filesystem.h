// File queries and whole-file I/O, the seam between the logic and the disk.
// Paths are byte strings in the system ANSI code page.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace fw {

// Attribute bits as the Win32 API defines them.
constexpr uint32_t kAttrInvalid = 0xFFFFFFFFu;
constexpr uint32_t kAttrReadOnly = 0x01;
constexpr uint32_t kAttrHidden = 0x02;
constexpr uint32_t kAttrSystem = 0x04;
constexpr uint32_t kAttrDirectory = 0x10;
constexpr uint32_t kAttrArchive = 0x20;
constexpr uint32_t kAttrNormal = 0x80;

// System error codes the file changes report, with the Win32 values.
constexpr uint32_t kErrorFileNotFound = 2;
constexpr uint32_t kErrorPathNotFound = 3;
constexpr uint32_t kErrorAccessDenied = 5;
constexpr uint32_t kErrorNotSameDevice = 17;
constexpr uint32_t kErrorSharingViolation = 32;
constexpr uint32_t kErrorFileExists = 80;
constexpr uint32_t kErrorDiskFull = 112;
constexpr uint32_t kErrorCallNotImplemented = 120;
constexpr uint32_t kErrorInvalidName = 123;
constexpr uint32_t kErrorAlreadyExists = 183;
constexpr uint32_t kErrorFilenameTooLong = 206;

struct FileInfo {
    uint32_t attributes = kAttrInvalid;
    uint32_t sizeLow = 0;    // low 32 bits of the size in bytes
    uint64_t lastWrite = 0;  // FILETIME as one 64-bit value
};

// One entry of a folder enumeration.
struct DirEntry {
    std::string name;  // name only, no folder
    FileInfo info;
};

// Where a write goes. Short writes are reported, never retried.
class OutputFile {
public:
    virtual ~OutputFile() = default;
    // Bytes actually written; less than `size` means the write failed.
    virtual size_t Write(const void* data, size_t size) = 0;
    // Ends the file at the current position and closes it; false when that fails.
    virtual bool Close() = 0;
    // Forces what was written to the disk (FlushFileBuffers); false when that fails.
    virtual bool Flush() { return true; }
};

class FileSystem {
public:
    virtual ~FileSystem() = default;

    // GetFileAttributesA: kAttrInvalid when the path names nothing.
    virtual uint32_t Attributes(const std::string& path) = 0;

    // Looks one file or folder up (FindFirstFileA): size and last-write time.
    virtual bool Find(const std::string& path, FileInfo& info) = 0;

    // Enumerates `pattern` (a folder followed by "*.*") in the file system's order.
    // Returns 0, or the system error code when the enumeration cannot start.
    // The callback returns false to stop early.
    virtual uint32_t Enumerate(const std::string& pattern,
                               const std::function<bool(const DirEntry&)>& onEntry) = 0;

    // Reads a whole file. False when it cannot be opened or read.
    virtual bool ReadAll(const std::string& path, std::string& bytes) = 0;

    // Creates (or truncates) a file for writing; null when it cannot be created.
    virtual std::unique_ptr<OutputFile> Create(const std::string& path) = 0;

    // Opens an existing file for writing at its end, others still reading it; null
    // when it cannot be opened.
    virtual std::unique_ptr<OutputFile> Append(const std::string&) { return nullptr; }

    // Replaces `target` by `source` in one step (both in the same folder).
    virtual bool Replace(const std::string& source, const std::string& target) = 0;

    virtual bool Remove(const std::string& path) = 0;

    // Changes of single files for the move and copy commands. Each returns 0 on
    // success or the system error code. A file system that only reads refuses them
    // all (the defaults).

    // CopyFileA with fail-if-exists: never replaces `target` (kErrorFileExists). The
    // copy keeps the source's attributes.
    virtual uint32_t CopyNew(const std::string&, const std::string&) { return kErrorCallNotImplemented; }
    // MoveFileExA. Without `replace` an existing target makes it fail
    // (kErrorAlreadyExists) and a move to another volume copies and deletes. With
    // `replace` an existing target is replaced in one step, which works only on the
    // same volume (kErrorNotSameDevice otherwise) and never on a read-only target.
    virtual uint32_t MoveTo(const std::string&, const std::string&, bool) { return kErrorCallNotImplemented; }
    // DeleteFileA: fails on a read-only file.
    virtual uint32_t Delete(const std::string&) { return kErrorCallNotImplemented; }
    // CreateDirectoryA.
    virtual uint32_t MakeFolder(const std::string&) { return kErrorCallNotImplemented; }
    // SetFileAttributesA.
    virtual uint32_t SetAttributes(const std::string&, uint32_t) { return kErrorCallNotImplemented; }
    // True when both paths name one existing file, however each is spelt.
    virtual bool SameFile(const std::string&, const std::string&) { return false; }

    // The system's text for an error code, without a trailing line break.
    virtual std::string ErrorText(uint32_t code) = 0;
};

// The Win32 file system on Windows; null elsewhere (tests use MemoryFileSystem).
FileSystem* SystemFileSystem();

}  // namespace fw

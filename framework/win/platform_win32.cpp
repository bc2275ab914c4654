// Seam defaults on Windows: the ANSI code page, the Win32 file system, GetTickCount
// and real message boxes.
#include <windows.h>

#include <commdlg.h>

#include <algorithm>
#include <array>
#include <vector>

#include "framework/core/ascii.h"
#include "framework/core/clock.h"
#include "framework/core/codepage.h"
#include "framework/core/filesystem.h"
#include "framework/core/prompts.h"
#include "framework/core/text.h"
#include "framework/win/handles.h"

namespace fw {
namespace {

class AnsiCodePage final : public CodePage {
public:
    // The lead bytes of the process's code page, asked once: every scan of a path asks
    // for each of its bytes.
    AnsiCodePage()
    {
        for (int c = 0; c < 256; ++c)
            lead_[static_cast<size_t>(c)] = IsDBCSLeadByte(static_cast<BYTE>(c)) != FALSE;
    }

    bool IsLeadByte(unsigned char c) const override { return lead_[c]; }

    void UpperChar(unsigned char& lead, unsigned char& trail, bool doubleByte) const override
    {
        // ASCII is the same in every ANSI code page: no system call for it.
        if (!doubleByte && lead < 0x80) {
            lead = static_cast<unsigned char>(AsciiUpper(static_cast<char>(lead)));
            return;
        }
        char buffer[2] = {static_cast<char>(lead), static_cast<char>(trail)};
        CharUpperBuffA(buffer, doubleByte ? 2 : 1);
        lead = static_cast<unsigned char>(buffer[0]);
        if (doubleByte)
            trail = static_cast<unsigned char>(buffer[1]);
    }

private:
    std::array<bool, 256> lead_{};
};

uint64_t Join(const FILETIME& t)
{
    return (static_cast<uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
}

class Win32Output final : public OutputFile {
public:
    explicit Win32Output(HANDLE file) : file_(file) {}
    ~Win32Output() override { Close(); }

    size_t Write(const void* data, size_t size) override
    {
        DWORD written = 0;
        if (!file_ || !WriteFile(file_.get(), data, static_cast<DWORD>(size), &written, nullptr))
            return 0;
        return written;
    }

    bool Close() override
    {
        if (!file_)
            return true;
        bool ok = SetEndOfFile(file_.get()) != FALSE;
        file_.reset();
        return ok;
    }

    bool Flush() override { return file_ && FlushFileBuffers(file_.get()) != FALSE; }

private:
    UniqueHandle file_;
};

class Win32FileSystem final : public FileSystem {
public:
    uint32_t Attributes(const std::string& path) override { return GetFileAttributesA(path.c_str()); }

    bool Find(const std::string& path, FileInfo& info) override
    {
        WIN32_FIND_DATAA data;
        HANDLE find = FindFirstFileA(path.c_str(), &data);
        if (find == INVALID_HANDLE_VALUE)
            return false;
        FindClose(find);
        info.attributes = data.dwFileAttributes;
        info.sizeLow = data.nFileSizeLow;
        info.lastWrite = Join(data.ftLastWriteTime);
        return true;
    }

    uint32_t Enumerate(const std::string& pattern,
                       const std::function<bool(const DirEntry&)>& onEntry) override
    {
        WIN32_FIND_DATAA data;
        HANDLE find = FindFirstFileA(pattern.c_str(), &data);
        if (find == INVALID_HANDLE_VALUE)
            return GetLastError();
        DirEntry entry;
        do {
            entry.name = data.cFileName;
            entry.info.attributes = data.dwFileAttributes;
            entry.info.sizeLow = data.nFileSizeLow;
            entry.info.lastWrite = Join(data.ftLastWriteTime);
            if (!onEntry(entry))
                break;
        } while (FindNextFileA(find, &data));
        FindClose(find);
        return 0;
    }

    bool ReadAll(const std::string& path, std::string& bytes) override
    {
        UniqueHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file)
            return false;
        LARGE_INTEGER size;
        if (!GetFileSizeEx(file.get(), &size) || size.QuadPart > 0x7FFFFFFF)
            return false;
        bytes.assign(static_cast<size_t>(size.QuadPart), '\0');
        DWORD read = 0;
        if (!bytes.empty() &&
            !ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr))
            return false;
        bytes.resize(read);
        return true;
    }

    std::unique_ptr<OutputFile> Create(const std::string& path) override
    {
        HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE)
            return nullptr;
        return std::make_unique<Win32Output>(file);
    }

    std::unique_ptr<OutputFile> Append(const std::string& path) override
    {
        HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE)
            return nullptr;
        LARGE_INTEGER end{};
        if (!SetFilePointerEx(file, end, nullptr, FILE_END)) {
            CloseHandle(file);
            return nullptr;
        }
        return std::make_unique<Win32Output>(file);
    }

    bool Replace(const std::string& source, const std::string& target) override
    {
        return MoveFileExA(source.c_str(), target.c_str(),
                           MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
    }

    bool Remove(const std::string& path) override { return DeleteFileA(path.c_str()) != FALSE; }

    uint32_t CopyNew(const std::string& source, const std::string& target) override
    {
        return Result(CopyFileA(source.c_str(), target.c_str(), TRUE));
    }

    uint32_t MoveTo(const std::string& source, const std::string& target, bool replace) override
    {
        DWORD flags = replace ? MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH : MOVEFILE_COPY_ALLOWED;
        return Result(MoveFileExA(source.c_str(), target.c_str(), flags));
    }

    uint32_t Delete(const std::string& path) override { return Result(DeleteFileA(path.c_str())); }

    uint32_t MakeFolder(const std::string& path) override
    {
        return Result(CreateDirectoryA(path.c_str(), nullptr));
    }

    uint32_t SetAttributes(const std::string& path, uint32_t attributes) override
    {
        return Result(SetFileAttributesA(path.c_str(), attributes));
    }

    bool SameFile(const std::string& a, const std::string& b) override
    {
        BY_HANDLE_FILE_INFORMATION one;
        BY_HANDLE_FILE_INFORMATION two;
        return Identify(a, one) && Identify(b, two) && one.dwVolumeSerialNumber == two.dwVolumeSerialNumber &&
               one.nFileIndexHigh == two.nFileIndexHigh && one.nFileIndexLow == two.nFileIndexLow;
    }

    std::string ErrorText(uint32_t code) override
    {
        char* text = nullptr;
        DWORD n = FormatMessageA(
            FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
            nullptr, code, 0, reinterpret_cast<char*>(&text), 0, nullptr);
        std::string result = n ? std::string(text, n) : std::string();
        if (text)
            LocalFree(text);
        while (!result.empty() && (result.back() == '\n' || result.back() == '\r'))
            result.pop_back();
        return result;
    }

private:
    // 0 after success, else the thread's last error (never 0 for a failure).
    static uint32_t Result(BOOL ok)
    {
        if (ok)
            return 0;
        DWORD code = GetLastError();
        return code ? code : ERROR_GEN_FAILURE;
    }

    static bool Identify(const std::string& path, BY_HANDLE_FILE_INFORMATION& info)
    {
        UniqueHandle file(CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
        return file && GetFileInformationByHandle(file.get(), &info) != FALSE;
    }
};

class TickClock final : public Clock {
public:
    uint32_t Milliseconds() override { return GetTickCount(); }
};

class MessageBoxPrompts final : public Prompts {
public:
    int Message(intptr_t owner, const std::wstring& text, const std::wstring& caption,
                unsigned flags) override
    {
        return MessageBoxW(reinterpret_cast<HWND>(owner), text.c_str(),
                           caption.empty() ? nullptr : caption.c_str(), flags);
    }

    bool ChooseFile(intptr_t owner, const FileChoice& choice, std::string& path) override
    {
        std::vector<std::string> paths;
        if (!Run(owner, choice, 32768, paths) || paths.size() != 1)
            return false;
        path = paths[0];
        return true;
    }

    bool ChooseFiles(intptr_t owner, const FileChoice& choice, std::vector<std::string>& paths) override
    {
        // Room for a whole photo folder: a megabyte of names.
        return Run(owner, choice, 1 << 19, paths);
    }

private:
    // A name the ANSI code page cannot hold would name another file: it is left out.
    static bool ToAnsi(const std::wstring& wide, std::string& ansi)
    {
        return TryNarrowAnsi(wide, ansi) && ansi.size() < MAX_PATH;
    }

    static bool Run(intptr_t owner, const FileChoice& choice, size_t bufferChars,
                    std::vector<std::string>& paths)
    {
        std::wstring filter = choice.filter;
        for (wchar_t& c : filter)
            if (c == L'|')
                c = L'\0';
        const std::wstring initial = WidenAnsi(choice.initialPath);
        std::vector<wchar_t> names(bufferChars, L'\0');
        initial.copy(names.data(), std::min(initial.size(), names.size() - 1));
        OPENFILENAMEW ofn{};
        ofn.lStructSize = sizeof ofn;
        ofn.hwndOwner = reinterpret_cast<HWND>(owner);
        ofn.lpstrFilter = filter.c_str();
        ofn.lpstrFile = names.data();
        ofn.nMaxFile = static_cast<DWORD>(names.size());
        ofn.lpstrDefExt = choice.defaultExtension.empty() ? nullptr : choice.defaultExtension.c_str();
        ofn.Flags = choice.flags | OFN_EXPLORER;
        if (!(choice.save ? GetSaveFileNameW(&ofn) : GetOpenFileNameW(&ofn)))
            return false;
        // One name: the full path. Several: the folder, then each name, NUL-separated.
        std::vector<std::wstring> parts;
        for (const wchar_t* p = names.data(); *p && p < names.data() + names.size(); p += wcslen(p) + 1)
            parts.emplace_back(p);
        if (parts.empty())
            return false;
        std::vector<std::wstring> chosen;
        if (parts.size() == 1) {
            chosen.push_back(parts[0]);
        } else {
            std::wstring folder = parts[0];
            if (folder.back() != L'\\')
                folder += L'\\';
            for (size_t i = 1; i < parts.size(); ++i)
                chosen.push_back(folder + parts[i]);
        }
        paths.clear();
        for (const std::wstring& wide : chosen) {
            std::string ansi;
            if (ToAnsi(wide, ansi))
                paths.push_back(std::move(ansi));
        }
        if (paths.empty())
            MessageBeep(MB_ICONHAND);
        return !paths.empty();
    }
};

}  // namespace

const CodePage& SystemCodePage()
{
    static const AnsiCodePage cp;
    return cp;
}

FileSystem* SystemFileSystem()
{
    static Win32FileSystem fs;
    return &fs;
}

Clock& SystemClock()
{
    static TickClock clock;
    return clock;
}

Prompts& DefaultPrompts()
{
    static MessageBoxPrompts prompts;
    return prompts;
}

std::wstring ProgramTitle()
{
    wchar_t module[MAX_PATH] = L"";
    DWORD n = GetModuleFileNameW(nullptr, module, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        return std::wstring();
    const wchar_t* name = wcsrchr(module, L'\\');
    std::wstring title = name ? name + 1 : module;
    size_t dot = title.rfind(L'.');
    if (dot != std::wstring::npos)
        title.resize(dot);
    return title;
}

namespace {

std::string FromWide(std::wstring_view text, DWORD flags, const char* defaultChar, BOOL* usedDefault)
{
    if (text.empty())
        return std::string();
    const int length = static_cast<int>(text.size());
    int n = WideCharToMultiByte(CP_ACP, flags, text.data(), length, nullptr, 0, defaultChar, usedDefault);
    std::string out(static_cast<size_t>(n > 0 ? n : 0), '\0');
    if (n > 0)
        n = WideCharToMultiByte(CP_ACP, flags, text.data(), length, out.data(), n, defaultChar, usedDefault);
    out.resize(static_cast<size_t>(n > 0 ? n : 0));
    return out;
}

}  // namespace

std::wstring WidenAnsi(std::string_view text)
{
    if (text.empty())
        return std::wstring();
    const int length = static_cast<int>(text.size());
    const int n = MultiByteToWideChar(CP_ACP, 0, text.data(), length, nullptr, 0);
    std::wstring out(static_cast<size_t>(n > 0 ? n : 0), L'\0');
    if (n > 0)
        MultiByteToWideChar(CP_ACP, 0, text.data(), length, out.data(), n);
    return out;
}

std::string NarrowAnsi(std::wstring_view text)
{
    return FromWide(text, 0, nullptr, nullptr);
}

std::string NarrowAnsiPath(std::wstring_view text)
{
    BOOL usedDefault = FALSE;
    return FromWide(text, WC_NO_BEST_FIT_CHARS, "?", &usedDefault);
}

bool TryNarrowAnsi(std::wstring_view text, std::string& ansi)
{
    ansi.clear();
    if (text.empty())
        return true;
    // UTF-8 as the ANSI code page takes neither flag nor default-character report;
    // there only unpaired surrogates cannot be converted.
    const bool utf8 = GetACP() == CP_UTF8;
    BOOL usedDefault = FALSE;
    ansi = FromWide(text, utf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS, nullptr,
                    utf8 ? nullptr : &usedDefault);
    if (ansi.empty() || usedDefault) {
        ansi.clear();
        return false;
    }
    return true;
}

}  // namespace fw

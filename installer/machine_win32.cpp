#include "installer/machine_win32.h"

#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>

#include <fstream>
#include <iterator>

#include "framework/com/com_ptr.h"
#include "framework/core/path.h"
#include "framework/core/text.h"
#include "framework/win/ini_profile.h"
#include "framework/win/system_library.h"

namespace installer {

namespace {

using ServerEntry = HRESULT(STDAPICALLTYPE*)();

}  // namespace

bool Win32Machine::Track(BOOL ok)
{
    if (!ok)
        lastError_ = GetLastError();
    return ok != FALSE;
}

bool Win32Machine::FileExists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool Win32Machine::FolderExists(const std::string& path)
{
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool Win32Machine::CreateFolder(const std::string& path)
{
    return Track(CreateDirectoryA(path.c_str(), nullptr));
}

bool Win32Machine::RemoveFolder(const std::string& path)
{
    return Track(RemoveDirectoryA(path.c_str()));
}

bool Win32Machine::DeleteFile(const std::string& path)
{
    return Track(::DeleteFileA(path.c_str()));
}

bool Win32Machine::CopyFile(const std::string& source, const std::string& target)
{
    return Track(::CopyFileA(source.c_str(), target.c_str(), FALSE));
}

bool Win32Machine::MoveReplacing(const std::string& from, const std::string& to)
{
    return Track(MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING));
}

bool Win32Machine::DeleteAtRestart(const std::string& path)
{
    return Track(MoveFileExA(path.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT));
}

std::string Win32Machine::ErrorText(uint32_t code)
{
    char* buffer = nullptr;
    const DWORD n = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
        code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<char*>(&buffer), 0, nullptr);
    std::string text = n > 0 && buffer ? std::string(buffer, n) : std::string();
    if (buffer)
        LocalFree(buffer);
    return text;
}

std::optional<FileVersion> Win32Machine::Version(const std::string& path)
{
    // The version functions are not a known DLL: from the system folder, never from beside
    // the installer.
    static const fw::UniqueModule library = fw::LoadSystemLibrary(L"version.dll");
    const auto sizeOf =
        fw::ProcAddress<decltype(&GetFileVersionInfoSizeA)>(library.get(), "GetFileVersionInfoSizeA");
    const auto read = fw::ProcAddress<decltype(&GetFileVersionInfoA)>(library.get(), "GetFileVersionInfoA");
    const auto query = fw::ProcAddress<decltype(&VerQueryValueA)>(library.get(), "VerQueryValueA");
    if (!sizeOf || !read || !query)
        return std::nullopt;
    DWORD handle = 0;
    const DWORD size = sizeOf(path.c_str(), &handle);
    if (size == 0)
        return std::nullopt;
    std::vector<char> data(size);
    if (!read(path.c_str(), 0, size, data.data()))
        return std::nullopt;
    VS_FIXEDFILEINFO* info = nullptr;
    UINT length = 0;
    if (!query(data.data(), "\\", reinterpret_cast<void**>(&info), &length) || !info ||
        length < sizeof(VS_FIXEDFILEINFO))
        return std::nullopt;
    return FileVersion{info->dwFileVersionMS, info->dwFileVersionLS};
}

std::string Win32Machine::ShortPath(const std::string& path)
{
    char buffer[MAX_PATH] = "";
    const DWORD n = GetShortPathNameA(path.c_str(), buffer, MAX_PATH);
    return n > 0 && n < MAX_PATH ? std::string(buffer, n) : path;
}

std::string Win32Machine::WininitPath() const
{
    char windows[MAX_PATH] = "";
    GetWindowsDirectoryA(windows, MAX_PATH);
    return fw::JoinPath(windows, "WININIT.INI");
}

bool Win32Machine::ReadWininit(std::string& text)
{
    std::ifstream in(WininitPath(), std::ios::binary);
    if (!in)
        return false;
    text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
}

bool Win32Machine::WriteWininit(const std::string& text)
{
    std::ofstream out(WininitPath(), std::ios::binary | std::ios::trunc);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    return static_cast<bool>(out);
}

void Win32Machine::WriteWininitProfile(const std::string& key, const std::string& value)
{
    WritePrivateProfileStringA("rename", key.c_str(), value.c_str(), WininitPath().c_str());
}

ServerOutcome Win32Machine::CallServer(const std::string& path, bool unregister)
{
    fw::UniqueModule module = fw::LoadLibraryAt(path);
    if (!module)
        return {};
    const auto entry = reinterpret_cast<ServerEntry>(
        GetProcAddress(module.get(), unregister ? "DllUnregisterServer" : "DllRegisterServer"));
    if (!entry)
        return {ServerCall::NoEntryPoint, 0};
    const HRESULT hr = entry();
    if (!unregister)
        registered_.push_back(std::move(module));
    return {ServerCall::Called, static_cast<long>(hr)};
}

RunOutcome Win32Machine::RunAndWait(const std::string& verb, const std::string& file,
                                    const std::string& parameters)
{
    SHELLEXECUTEINFOA info{};
    info.cbSize = sizeof(info);
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
    info.hwnd = owner_;
    info.lpVerb = verb.c_str();
    info.lpFile = file.c_str();
    info.lpParameters = parameters.empty() ? nullptr : parameters.c_str();
    info.nShow = SW_SHOWNORMAL;
    if (!ShellExecuteExA(&info) || !info.hProcess) {
        lastError_ = GetLastError();
        return {};
    }
    fw::UniqueHandle process(info.hProcess);
    EnableWindow(owner_, FALSE);
    DWORD code = 0;
    for (;;) {
        const DWORD wait = MsgWaitForMultipleObjects(1, &info.hProcess, FALSE, 100, QS_ALLINPUT);
        if (!GetExitCodeProcess(process.get(), &code) || !IsWindow(owner_)) {
            code = 0;
            break;
        }
        if (wait == WAIT_OBJECT_0 || code != STILL_ACTIVE)
            break;
        pump_();
    }
    if (IsWindow(owner_))
        EnableWindow(owner_, TRUE);
    return {true, code};
}

long Win32Machine::CreateShortcut(const ShortcutSpec& link)
{
    fw::com::ComPtr<IShellLinkA> shell;
    HRESULT hr =
        CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA, shell.PutVoid());
    if (FAILED(hr))
        return hr;
    if (FAILED(hr = shell->SetPath(link.target.c_str())) ||
        FAILED(hr = shell->SetDescription(link.description.c_str())))
        return hr;
    if (!link.workingFolder.empty() && FAILED(hr = shell->SetWorkingDirectory(link.workingFolder.c_str())))
        return hr;
    if (!link.arguments.empty() && FAILED(hr = shell->SetArguments(link.arguments.c_str())))
        return hr;
    fw::com::ComPtr<IPersistFile> file;
    if (FAILED(hr = shell->QueryInterface(IID_IPersistFile, file.PutVoid())))
        return hr;
    return file->Save(fw::WidenAnsi(link.linkFile).c_str(), TRUE);
}

std::unique_ptr<fw::Profile> Win32Machine::OpenLog(const std::string& path)
{
    return std::make_unique<fw::IniProfile>(path);
}

}  // namespace installer

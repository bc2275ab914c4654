#include "tests/installer/setup_fixture.h"

#include <commctrl.h>
#include <objbase.h>
#include <shlobj.h>

#include <fstream>
#include <iterator>
#include <sstream>

#include "framework/core/text.h"

namespace setup_test {

namespace {

std::wstring Folder(const std::wstring& path)
{
    return path.substr(0, path.find_last_of(L'\\'));
}

std::wstring LoadedLinkTarget(const std::wstring& link)
{
    IShellLinkW* shell = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                reinterpret_cast<void**>(&shell))))
        return L"(no shell link)";
    std::wstring target = L"(not loaded)";
    IPersistFile* file = nullptr;
    if (SUCCEEDED(shell->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
        wchar_t path[MAX_PATH] = L"";
        if (SUCCEEDED(file->Load(link.c_str(), STGM_READ)) &&
            SUCCEEDED(shell->GetPath(path, MAX_PATH, nullptr, SLGP_RAWPATH)))
            target = path;
        file->Release();
    }
    shell->Release();
    return target;
}

void CopyTree(const std::wstring& from, const std::wstring& to)
{
    CreateDirectoryW(to.c_str(), nullptr);
    WIN32_FIND_DATAW found{};
    const HANDLE find = FindFirstFileW((from + L"\\*").c_str(), &found);
    ASSERT_NE(find, INVALID_HANDLE_VALUE) << fw::Utf8FromWide(from);
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            CopyFileW((from + L"\\" + found.cFileName).c_str(), (to + L"\\" + found.cFileName).c_str(),
                      FALSE);
    } while (FindNextFileW(find, &found));
    FindClose(find);
}

}  // namespace

std::wstring SetupTest::PackageFolder()
{
    wchar_t self[MAX_PATH] = L"";
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    return Folder(self) + L"\\package";
}

std::wstring SetupTest::CopyPackage(const std::wstring& name)
{
    const std::wstring root = L"C:\\setup-cases";
    CreateDirectoryW(root.c_str(), nullptr);
    const std::wstring folder = root + L"\\" + name;
    CopyTree(PackageFolder(), folder);
    return folder;
}

std::wstring SetupTest::CopyPackageWithoutLinks(const std::wstring& name)
{
    const std::wstring folder = CopyPackage(name);
    const std::string script = fw::NarrowAnsi(folder + L"\\setup.ini");
    WritePrivateProfileStringA("TARGET", "DESKTOP", "0", script.c_str());
    WritePrivateProfileStringA("TARGET", "STARTMENU", "0", script.c_str());
    WritePrivateProfileStringA("UNINSTALL", "REGIST", "0", script.c_str());
    return folder;
}

void SetupTest::StartSetup(const std::wstring& package)
{
    process_ = ts::Process::Start(package + L"\\setup.exe", L"", package);
    ASSERT_TRUE(process_) << "setup.exe did not start";
    processId_ = process_.Id();
}

HWND SetupTest::WaitPage(const wchar_t* caption, DWORD timeoutMs) const
{
    return ts::WaitForWindow(processId_, L"#32770", caption, timeoutMs);
}

ts::MessageBoxInfo SetupTest::WaitBox(DWORD timeoutMs) const
{
    ts::MessageBoxInfo box;
    EXPECT_TRUE(ts::WaitForMessageBox(processId_, box, timeoutMs)) << "no message box";
    return box;
}

HWND SetupTest::WalkToCopying(const Walk& walk)
{
    const HWND terms = WaitPage(L"使用許諾条件");
    EXPECT_TRUE(terms) << "no terms page";
    if (!terms)
        return nullptr;
    // The whole terms file, as the code page reads it.
    const std::wstring termsText = fw::WidenAnsi(ReadBytes(PackageFolder() + L"\\license.txt"));
    EXPECT_NE(termsText.find(L"Lumsor 2.0 使用許諾条件"), std::wstring::npos);
    EXPECT_EQ(ts::WindowText(GetDlgItem(terms, 1000)), termsText);
    EXPECT_EQ(ts::WindowText(GetDlgItem(terms, IDOK)), L"同意する");
    ts::PostCommand(terms, IDOK);

    const HWND type = WaitPage(L"インストール内容の選択");
    EXPECT_TRUE(type) << "no install type page";
    if (!type)
        return nullptr;
    const HWND list = GetDlgItem(type, 1019);
    EXPECT_EQ(ListLines(list),
              (std::vector<std::wstring>{L"Lumsor 本体", L"サムネイル・コントロール", L"説明書"}));
    // Recommended: the default components, the list locked.
    EXPECT_FALSE(IsWindowEnabled(list));
    EXPECT_EQ(SendMessageW(list, LB_GETSELCOUNT, 0, 0), 2);
    if (walk.custom) {
        SendMessageW(GetDlgItem(type, 1017), BM_CLICK, 0, 0);
        EXPECT_TRUE(ts::WaitUntil([&] { return IsWindowEnabled(list) != FALSE; }));
        SendMessageW(list, LB_SETSEL, TRUE, -1);
    }
    ts::PostCommand(type, IDOK);

    const HWND folder = WaitPage(L"インストール先の選択");
    EXPECT_TRUE(folder) << "no destination page";
    if (!folder)
        return nullptr;
    if (walk.packageDefaults) {
        EXPECT_EQ(ts::WindowText(GetDlgItem(folder, 1002)), L"C:\\Program Files\\Lumsor");
        EXPECT_EQ(SendMessageW(GetDlgItem(folder, 1004), BM_GETCHECK, 0, 0), BST_CHECKED);
        EXPECT_EQ(SendMessageW(GetDlgItem(folder, 1005), BM_GETCHECK, 0, 0), BST_CHECKED);
        EXPECT_EQ(SendMessageW(GetDlgItem(folder, 1025), BM_GETCHECK, 0, 0), BST_CHECKED);
        EXPECT_EQ(ts::WindowText(GetDlgItem(folder, 1007)), L"Lumsor");
    }
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(folder, 1022)));
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(GetDlgItem(folder, 1002), WM_SETTEXT, 0,
                        reinterpret_cast<LPARAM>(walk.installFolder.c_str()), SMTO_ABORTIFHUNG,
                        ts::kDriverTimeoutMs, &ignored);
    ts::PostCommand(folder, IDOK);

    const HWND copying = WaitPage(L"ファイルのコピー中");
    EXPECT_TRUE(copying) << "no copying page";
    return copying;
}

void SetupTest::WaitRunEnd(HWND page, const wchar_t* text) const
{
    std::wstring last;
    EXPECT_TRUE(ts::WaitForText(GetDlgItem(page, IDCANCEL), text, kRunTimeoutMs, &last))
        << fw::Utf8FromWide(last);
}

std::vector<std::wstring> SetupTest::ListLines(HWND list) const
{
    std::vector<std::wstring> lines;
    const LRESULT count = SendMessageW(list, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count && i < 1000; ++i) {
        const LRESULT length = SendMessageW(list, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0);
        std::wstring line(static_cast<size_t>(length < 0 ? 0 : length) + 1, L'\0');
        SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(line.data()));
        line.resize(wcslen(line.c_str()));
        lines.push_back(line);
    }
    return lines;
}

bool SetupTest::WaitExit()
{
    return process_.WaitExit(kRunTimeoutMs);
}

bool FileExists(const std::wstring& path)
{
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string ReadBytes(const std::wstring& path)
{
    std::ifstream in(path.c_str(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::wstring SpecialFolder(int csidl)
{
    wchar_t path[MAX_PATH] = L"";
    SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path);
    return path;
}

std::wstring RegistryText(HKEY root, const std::wstring& key, const wchar_t* value)
{
    wchar_t text[1024] = L"";
    DWORD size = sizeof(text);
    if (RegGetValueW(root, key.c_str(), value, RRF_RT_REG_SZ, nullptr, text, &size) != ERROR_SUCCESS)
        return L"(missing)";
    return text;
}

bool KeyExists(HKEY root, const std::wstring& key)
{
    HKEY opened = nullptr;
    if (RegOpenKeyExW(root, key.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS)
        return false;
    RegCloseKey(opened);
    return true;
}

std::wstring LinkTarget(const std::wstring& link)
{
    CoInitialize(nullptr);
    const std::wstring target = LoadedLinkTarget(link);
    CoUninitialize();
    return target;
}

std::vector<std::wstring> IniLines(const std::wstring& path)
{
    std::vector<std::wstring> lines;
    std::istringstream in(ReadBytes(path));
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (!line.empty())
            lines.push_back(fw::WidenAnsi(line));
    }
    return lines;
}

std::wstring SystemMessage(DWORD code)
{
    char* buffer = nullptr;
    const DWORD n = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
        code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<char*>(&buffer), 0, nullptr);
    const std::string text = n > 0 && buffer ? std::string(buffer, n) : std::string();
    if (buffer)
        LocalFree(buffer);
    return fw::WidenAnsi(text);
}

std::wstring Narrow(const std::wstring& text)
{
    return fw::WidenAnsi(fw::NarrowAnsi(text));
}

}  // namespace setup_test

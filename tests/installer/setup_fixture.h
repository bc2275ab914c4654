// The installer end to end: the package's setup.exe run in a Wine prefix of its own,
// its pages walked as a user walks them, and what it leaves on the system read back:
// files, registry, shortcuts, the log; then the uninstaller from the uninstall entry.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/driver.h"

namespace setup_test {

namespace ts = testing_support;

constexpr DWORD kRunTimeoutMs = 60000;  // a whole copy or uninstall run
constexpr wchar_t kMainClass[] = L"ORKVANE";
constexpr wchar_t kTitle[] = L"Lumsor 2.0 セットアップ";
constexpr wchar_t kUninstallKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Lumsor20";
constexpr wchar_t kControlClassId[] = L"{CDE3FF5B-8BC2-4222-838E-EC953211A994}";

// The page choices a walk makes.
struct Walk {
    std::wstring installFolder;
    bool custom = true;           // choose the custom install and select every component
    bool packageDefaults = true;  // the script is the package's: check what the pages offer
};

class SetupTest : public ::testing::Test {
protected:
    // The package built beside this test program.
    static std::wstring PackageFolder();
    // A copy of the package in a folder of its own, for the cases that change it.
    static std::wstring CopyPackage(const std::wstring& name);
    // A copied package that makes neither shortcuts nor an uninstall entry.
    static std::wstring CopyPackageWithoutLinks(const std::wstring& name);

    // Starts setup.exe of `package` in that folder (its current directory).
    void StartSetup(const std::wstring& package);
    // A page of the running program by its caption, once it is shown.
    HWND WaitPage(const wchar_t* caption, DWORD timeoutMs = ts::kDriverTimeoutMs) const;
    // Terms, type, destination: up to the copying page, which is returned.
    HWND WalkToCopying(const Walk& walk);
    // Waits for the copying page's button to read `text` (the run ended).
    void WaitRunEnd(HWND page, const wchar_t* text) const;
    // Waits for a message box of the program and returns it.
    ts::MessageBoxInfo WaitBox(DWORD timeoutMs = kRunTimeoutMs) const;
    std::vector<std::wstring> ListLines(HWND list) const;
    bool WaitExit();

    ts::Process process_;
    DWORD processId_ = 0;
};

// System facts read back.
bool FileExists(const std::wstring& path);
std::string ReadBytes(const std::wstring& path);
std::wstring SpecialFolder(int csidl);
std::wstring RegistryText(HKEY root, const std::wstring& key, const wchar_t* value);
bool KeyExists(HKEY root, const std::wstring& key);
// The target of a shell link, or empty.
std::wstring LinkTarget(const std::wstring& link);
// Non-empty lines of an INI file in the code page, as UTF-16.
std::vector<std::wstring> IniLines(const std::wstring& path);
std::wstring SystemMessage(DWORD code);
std::wstring Narrow(const std::wstring& text);  // through the code page and back

}  // namespace setup_test

#include "installer/setup_machine.h"

#include "framework/core/utf8.h"

#include "framework/core/ansi_text.h"
#include "framework/core/codepage.h"

namespace installer {

namespace {

// Whether the last character of `s` is a backslash (not the trail byte of one).
bool EndsWithSeparator(const std::string& s)
{
    if (s.empty())
        return false;
    const size_t last = fw::SystemCodePage().Prev(s.data(), s.size());
    return s[last] == '\\' && last == s.size() - 1;
}

}  // namespace

std::string UninstallKey(const std::string& applic)
{
    return "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + applic;
}

void RecordWininit(SetupMachine& machine, const std::string& key, const std::string& value)
{
    std::string text;
    if (machine.ReadWininit(text)) {
        if (std::optional<std::string> updated = InsertRenameRecord(text, key, value)) {
            machine.WriteWininit(*updated);
            return;
        }
    }
    machine.WriteWininitProfile(key, value);
}

std::string JoinPath(const std::string& folder, const std::string& name)
{
    if (folder.empty())
        return name;
    return EndsWithSeparator(folder) ? folder + name : folder + "\\" + name;
}

std::string ParentFolder(const std::string& path)
{
    const fw::CodePage& codePage = fw::SystemCodePage();
    size_t last = std::string::npos;
    for (size_t i = 0; i < path.size(); i = codePage.Next(path.data(), i, path.size()))
        if (path[i] == '\\')
            last = i;
    return last == std::string::npos ? std::string() : path.substr(0, last);
}

std::wstring Wide(const std::string& ansi)
{
    return fw::WidenAnsi(ansi);
}

std::string Utf8(const std::string& ansi)
{
    return fw::Utf8FromWide(Wide(ansi));
}

}  // namespace installer

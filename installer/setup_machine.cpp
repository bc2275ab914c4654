#include "installer/setup_machine.h"

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
    const std::wstring wide = Wide(ansi);
    std::string out;
    for (size_t i = 0; i < wide.size(); ++i) {
        uint32_t c = static_cast<uint32_t>(wide[i]) & (sizeof(wchar_t) == 2 ? 0xFFFFu : 0x1FFFFFu);
        if (sizeof(wchar_t) == 2 && c >= 0xD800 && c < 0xDC00 && i + 1 < wide.size()) {
            c = 0x10000 + ((c - 0xD800) << 10) + ((static_cast<uint32_t>(wide[i + 1]) & 0x3FFu));
            ++i;
        }
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

}  // namespace installer

#include "installer/install_log.h"

#include <algorithm>
#include <cstdio>

#include "framework/core/codepage.h"
#include "installer/ini_text.h"

namespace installer {

namespace {

constexpr char kSection[] = "UNINSTALLDESC";

std::string Numbered(const char* key, int number)
{
    char buffer[32];
    std::snprintf(buffer, sizeof(buffer), "%s%02d", key, number);
    return buffer;
}

// A count as written, or -1 when the key is missing.
int ReadCount(fw::Profile& log, const char* key)
{
    const std::string text = log.GetString(kSection, key, "");
    return text.empty() ? -1 : std::clamp(log.GetInt(kSection, key, 0), 0, kMaxLogEntries);
}

}  // namespace

std::string ColourText(uint32_t colour)
{
    char buffer[16];
    std::snprintf(buffer, sizeof(buffer), "%06x", static_cast<unsigned>(colour & 0xFFFFFFu));
    return buffer;
}

std::string PathAsLogged(std::string_view path)
{
    const fw::CodePage& codePage = fw::SystemCodePage();
    std::string out;
    out.reserve(path.size());
    bool afterSeparator = false;
    for (size_t i = 0; i < path.size();) {
        const size_t next = codePage.Next(path.data(), i, path.size());
        if (next == i + 1 && (path[i] == '\\' || path[i] == '/')) {
            if (!afterSeparator || out == "\\")
                out.push_back('\\');
            afterSeparator = true;
        } else {
            out.append(path.substr(i, next - i));
            afterSeparator = false;
        }
        i = next;
    }
    return out;
}

void LogWriter::AddComponentFile(const FileEntry& entry, const std::string& target)
{
    const int n = ++files_;
    log_.WriteString(kSection, Numbered("ACTION", n).c_str(),
                     entry.Kind() == FileAction::Copy ? "DELETE" : "NONE");
    log_.WriteString(kSection, Numbered("FILE", n).c_str(), target);
    log_.WriteString(kSection, Numbered("SHARECOMMENT", n).c_str(), entry.shareComment);
    log_.WriteInt(kSection, Numbered("SHARE", n).c_str(), entry.shareGroup);
    log_.WriteInt(kSection, Numbered("UNREGIST", n).c_str(), static_cast<int>(entry.unregistration));
    log_.WriteString(kSection, Numbered("UNREGISTPARAM", n).c_str(), entry.unregistrationParameters);
}

void LogWriter::AddFile(const std::string& path)
{
    const int n = ++files_;
    log_.WriteString(kSection, Numbered("FILE", n).c_str(), path);
}

bool LogWriter::AddFolder(const std::string& folder)
{
    std::string key = folder;
    fw::SystemCodePage().ToUpper(key);
    if (std::find(folders_.begin(), folders_.end(), key) != folders_.end())
        return false;
    folders_.push_back(key);
    log_.WriteString(kSection, Numbered("FOLDER", FolderCount()).c_str(), folder);
    return true;
}

void LogWriter::Finish(const Look& look)
{
    log_.WriteString(kSection, "UNINSTALL_SETUP", "1");
    log_.WriteInt(kSection, "FILE", files_);
    log_.WriteInt(kSection, "DIRECTORY", FolderCount());
    log_.WriteString("WINDOW", "TITLE", look.title);
    log_.WriteString("WINDOW", "APPLIC", look.applic);
    log_.WriteString("WINDOW", "CLASS", look.windowClass);
    log_.WriteString("WINDOW", "BKCOLOR", ColourText(look.backColor));
    log_.WriteString("TITLE", "FONT", look.font);
    log_.WriteString("TITLE", "COLOR", ColourText(look.titleColor));
    log_.WriteInt("TITLE", "WIDTH", look.titleWidth);
    log_.WriteInt("TITLE", "HEIGHT", look.titleHeight);
    log_.WriteString("SIGN", "TITLE", look.sign);
    log_.WriteInt("SIGN", "WIDTH", look.signWidth);
    log_.WriteInt("SIGN", "HEIGHT", look.signHeight);
}

InstallLog ReadInstallLog(fw::Profile& log)
{
    InstallLog out;
    out.marker = log.GetInt(kSection, "UNINSTALL_SETUP", 0) != 0;
    const int fileCount = ReadCount(log, "FILE");
    const int folderCount = ReadCount(log, "DIRECTORY");
    out.countsPresent = fileCount >= 0 && folderCount >= 0;

    const int fileLimit = fileCount >= 0 ? fileCount : kMaxLogEntries;
    for (int n = 1; n <= fileLimit; ++n) {
        LoggedFile f;
        f.number = n;
        f.path = LimitText(log.GetString(kSection, Numbered("FILE", n).c_str(), ""), kTextLimit);
        if (f.path.empty()) {
            if (fileCount < 0)
                break;
            out.missingFiles.push_back(n);
            continue;
        }
        const std::string action = log.GetString(kSection, Numbered("ACTION", n).c_str(), "");
        f.hasAction = !action.empty();
        std::string upper = action;
        fw::SystemCodePage().ToUpper(upper);
        f.remove = upper != "NONE";
        f.shareGroup = log.GetInt(kSection, Numbered("SHARE", n).c_str(), 0);
        f.shareComment =
            LimitText(log.GetString(kSection, Numbered("SHARECOMMENT", n).c_str(), ""), kTextLimit);
        f.unregistration =
            static_cast<Registration>(log.GetInt(kSection, Numbered("UNREGIST", n).c_str(), 0));
        f.unregistrationParameters =
            LimitText(log.GetString(kSection, Numbered("UNREGISTPARAM", n).c_str(), ""), kTextLimit);
        out.files.push_back(std::move(f));
    }

    const int folderLimit = folderCount >= 0 ? folderCount : kMaxLogEntries;
    for (int n = 1; n <= folderLimit; ++n) {
        std::string path = LimitText(log.GetString(kSection, Numbered("FOLDER", n).c_str(), ""), kTextLimit);
        if (path.empty()) {
            if (folderCount < 0)
                break;
            out.missingFolders.push_back(n);
            continue;
        }
        out.folders.push_back({n, std::move(path)});
    }
    return out;
}

}  // namespace installer

#include "app/profile_settings.h"

#include <cstdio>

#include "framework/core/path.h"
#include "framework/core/text.h"

namespace app {

namespace {

std::string Numbered(const char* format, int value)
{
    char text[32];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

}  // namespace

std::string LayoutNameKey(int position)
{
    return Numbered("NAME%02d", position);
}

std::string LayoutIdKey(int position)
{
    return Numbered("ID%02d", position);
}

std::string LayoutSection(int layoutId)
{
    return Numbered("ALLIGN_%02d", layoutId);
}

std::string ListWindowKey(int listNumber, const char* field)
{
    return Numbered("W%02d", listNumber) + field;
}

int ProfileSettings::Get(const IntSetting& setting) const
{
    return profile_.GetInt(setting.section, setting.key, setting.defaultValue);
}

bool ProfileSettings::Set(const IntSetting& setting, int value) const
{
    return profile_.WriteInt(setting.section, setting.key, value);
}

int ProfileSettings::LayoutLastId() const
{
    return profile_.GetInt(settings::kLayoutSection, settings::kLayoutLastIdKey, Get(settings::kLayoutCount));
}

std::string ProfileSettings::LayoutName(int position) const
{
    std::string key = LayoutNameKey(position);
    return profile_.GetString(settings::kLayoutSection, key.c_str(), key);
}

int ProfileSettings::LayoutId(int position) const
{
    return profile_.GetInt(settings::kLayoutSection, LayoutIdKey(position).c_str(), position);
}

ProfileRect ProfileSettings::GetRect(const char* section, const std::string& prefix,
                                     const ProfileRect& fallback) const
{
    ProfileRect rect;
    rect.top = profile_.GetInt(section, (prefix + settings::kTop).c_str(), fallback.top);
    rect.left = profile_.GetInt(section, (prefix + settings::kLeft).c_str(), fallback.left);
    rect.bottom = profile_.GetInt(section, (prefix + settings::kBottom).c_str(), fallback.bottom);
    rect.right = profile_.GetInt(section, (prefix + settings::kRight).c_str(), fallback.right);
    return rect;
}

bool ProfileSettings::SetRect(const char* section, const std::string& prefix, const ProfileRect& rect) const
{
    bool ok = profile_.WriteInt(section, (prefix + settings::kTop).c_str(), rect.top);
    ok = profile_.WriteInt(section, (prefix + settings::kLeft).c_str(), rect.left) && ok;
    ok = profile_.WriteInt(section, (prefix + settings::kBottom).c_str(), rect.bottom) && ok;
    return profile_.WriteInt(section, (prefix + settings::kRight).c_str(), rect.right) && ok;
}

int ProfileSettings::ListWindowShow(int listNumber) const
{
    return profile_.GetInt(settings::kWorkingLayoutSection,
                           ListWindowKey(listNumber, settings::kShow).c_str(), 1);
}

lists::ListOptions ListStartOptions(const ProfileSettings& settings, const std::string& currentDirectory)
{
    lists::ListOptions options;
    options.subfolders = settings.GetFlag(settings::kLoadSubfolders);
    if (settings.GetFlag(settings::kLoadUseCurrent))
        options.lastFolder = currentDirectory;
    return options;
}

int WideDropNames(bool ntPlatform, fw::Profile& profile)
{
    return profile.GetInt(settings::kUseWideChar.section, settings::kUseWideChar.key, ntPlatform ? 1 : 0);
}

ProgramFiles ProgramFilesFor(const std::string& programPath, const fw::CodePage& codePage)
{
    return {fw::WithExtension(programPath, ".ini", codePage),
            fw::WithExtension(programPath, ".chm", codePage)};
}

namespace {

// A new file made in the folder and removed again tells what a read-only medium or a
// folder without write access would refuse.
bool CanWrite(const std::string& profile, fw::FileSystem& files)
{
    const uint32_t attributes = files.Attributes(profile);
    if (attributes != fw::kAttrInvalid && (attributes & (fw::kAttrReadOnly | fw::kAttrDirectory)))
        return false;
    // A name nothing holds yet, so that no file of the user's is replaced by the probe.
    std::string probe = profile + ".tmp";
    for (int n = 1; files.Attributes(probe) != fw::kAttrInvalid; ++n) {
        if (n > 99)
            return false;
        probe = profile + ".tmp" + std::to_string(n);
    }
    std::unique_ptr<fw::OutputFile> file = files.Create(probe);
    if (!file)
        return false;
    const bool closed = file->Close();
    file.reset();
    files.Remove(probe);
    return closed;
}

// The roaming profile folder in the code page, through the short form of the roaming
// folder when its long form has characters the code page lacks; empty when neither does.
std::string RoamingProfileFolder(const ProfilePlaceHost& host, const fw::CodePage& codePage)
{
    if (host.roamingFolder.empty())
        return {};
    std::string folder;
    if (!fw::TryNarrowAnsi(host.roamingFolder, folder)) {
        const std::wstring shortForm = host.shortPath ? host.shortPath(host.roamingFolder) : std::wstring();
        if (shortForm.empty() || !fw::TryNarrowAnsi(shortForm, folder))
            return {};
    }
    return fw::JoinPath(folder, kRoamingProfileFolder, codePage);
}

}  // namespace

std::string ChooseProfilePath(const std::string& besideProgram, const ProfilePlaceHost& host,
                              const fw::CodePage& codePage)
{
    fw::FileSystem& files = host.files;
    if (CanWrite(besideProgram, files))
        return besideProgram;
    const std::string folder = RoamingProfileFolder(host, codePage);
    const auto isFolder = [&](const std::string& path) {
        const uint32_t attributes = files.Attributes(path);
        return attributes != fw::kAttrInvalid && (attributes & fw::kAttrDirectory);
    };
    const auto makeFolder = [&](const std::string& path) { return files.MakeFolder(path) == 0; };
    if (folder.empty() || !fw::CreateFolderPath(folder, isFolder, makeFolder, codePage))
        return besideProgram;
    const std::string roaming = fw::JoinPath(folder, fw::FileNameOf(besideProgram, codePage), codePage);
    if (files.Attributes(roaming) == fw::kAttrInvalid && files.CopyNew(besideProgram, roaming) == 0) {
        // A copy keeps the read-only attribute of its source.
        const uint32_t attributes = files.Attributes(roaming);
        if (attributes != fw::kAttrInvalid && (attributes & fw::kAttrReadOnly))
            files.SetAttributes(roaming, attributes & ~fw::kAttrReadOnly);
    }
    return roaming;
}

}  // namespace app

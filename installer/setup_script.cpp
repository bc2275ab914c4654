#include "installer/setup_script.h"

#include <algorithm>
#include <cstdio>

#include "framework/core/ascii.h"
#include "framework/core/codepage.h"
#include "installer/ini_text.h"

namespace installer {

namespace {

std::string Numbered(const char* key, int number)
{
    char buffer[32];
    std::snprintf(buffer, sizeof(buffer), "%s%02d", key, number);
    return buffer;
}

// Reads with the limits of the program's buffers.
class Reader {
public:
    explicit Reader(fw::Profile& profile) : profile_(profile) {}

    std::string Text(const char* section, const char* key, const std::string& defaultValue,
                     size_t limit = kTextLimit)
    {
        return LimitText(profile_.GetString(section, key, defaultValue), limit);
    }
    std::string Text(const char* section, const std::string& key, const std::string& defaultValue)
    {
        return Text(section, key.c_str(), defaultValue);
    }
    int Int(const char* section, const char* key, int defaultValue)
    {
        return profile_.GetInt(section, key, defaultValue);
    }
    int Int(const char* section, const std::string& key, int defaultValue)
    {
        return Int(section, key.c_str(), defaultValue);
    }
    bool Flag(const char* section, const char* key) { return Int(section, key, 0) != 0; }
    // A numeric key as its enum; values outside the enum's table are kept as they are.
    template <typename E>
    E Enum(const char* section, const std::string& key, E defaultValue)
    {
        return static_cast<E>(Int(section, key, static_cast<int>(defaultValue)));
    }
    uint32_t Hex(const char* section, const std::string& key, const char* defaultValue)
    {
        return ParseHex(Text(section, key, defaultValue));
    }

private:
    fw::Profile& profile_;
};

FileEntry ReadFileEntry(Reader& in, const char* section, int n)
{
    FileEntry e;
    e.number = n;
    e.file = in.Text(section, Numbered("file", n), "");
    e.rename = in.Text(section, Numbered("rename", n), "");
    e.action = in.Text(section, Numbered("action", n), "copy");
    e.exeParam = in.Text(section, Numbered("EXEPARAM", n), "");
    e.existingFile =
        in.Enum<ExistingFileRule>(section, Numbered("VERSIONCHECK", n), ExistingFileRule::Replace);
    e.fileInUse = in.Enum<InUseRule>(section, Numbered("DELETEONREBOOT", n), InUseRule::Fail);
    e.registration = in.Enum<Registration>(section, Numbered("REGIST", n), Registration::None);
    e.registrationParameters = in.Text(section, Numbered("REGISTPARAM", n), "");
    e.unregistration = in.Enum<Registration>(section, Numbered("UNREGIST", n), e.registration);
    e.unregistrationParameters = in.Text(section, Numbered("UNREGISTPARAM", n), "");
    e.acceptedExitMin = in.Hex(section, Numbered("RETMIN", n), "1");
    e.acceptedExitMax = in.Hex(section, Numbered("RETMAX", n), "0x7fffffff");
    e.shareGroup = in.Int(section, Numbered("SHARE", n), 0);
    e.shareComment = in.Text(section, Numbered("SHARECOMMENT", n), "");
    return e;
}

std::vector<Shortcut> ReadShortcuts(Reader& in, const char* section, bool startMenu)
{
    std::vector<Shortcut> links;
    for (int n = 1; n <= kMaxShortcuts; ++n) {
        Shortcut link;
        link.number = n;
        link.file = in.Text(section, Numbered("FILE", n), "");
        if (link.file.empty())
            break;
        link.description = in.Text(section, Numbered("DESCRIPTION", n), "link");
        link.param = in.Text(section, Numbered("PARAM", n), "");
        if (startMenu) {
            link.directory = in.Text(section, Numbered("DIRECTORY", n), "");
            link.startup = in.Int(section, Numbered("STARTUP", n), 0) != 0;
        }
        links.push_back(std::move(link));
    }
    return links;
}

}  // namespace

FileAction FileEntry::Kind() const
{
    if (fw::EqualsIgnoringAsciiCase(action, "copy"))
        return FileAction::Copy;
    if (action.empty() || fw::EqualsIgnoringAsciiCase(action, "none"))
        return FileAction::None;
    return FileAction::Verb;
}

bool Component::Preselected(bool ntFamily) const
{
    if (preselectOn == PreselectPlatform::NtOnly && !ntFamily)
        return false;
    if (preselectOn == PreselectPlatform::OutsideNt && ntFamily)
        return false;
    return isDefault;
}

uint32_t ParseHex(const std::string& text)
{
    size_t i = 0;
    while (i < text.size() && fw::IsBlank(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+'))
        negative = text[i++] == '-';
    if (i + 2 < text.size() + 1 && text.compare(i, 2, "0x") == 0)
        i += 2;
    else if (i + 2 < text.size() + 1 && text.compare(i, 2, "0X") == 0)
        i += 2;
    uint64_t value = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            break;
        value = std::min<uint64_t>(value * 16 + static_cast<uint64_t>(digit), 0x100000000ull);
    }
    if (value > 0xFFFFFFFFull)
        return 0xFFFFFFFFu;
    const auto result = static_cast<uint32_t>(value);
    return negative ? 0u - result : result;
}

std::string DecodeMessage(const std::string& text)
{
    const fw::CodePage& codePage = fw::SystemCodePage();
    std::string out;
    for (size_t i = 0; i < text.size();) {
        const size_t len = codePage.CharLength(text.data(), i, text.size());
        if (len == 1 && text[i] == '\\') {
            const size_t next = i + 1;
            if (next >= text.size())
                break;
            const size_t nextLen = codePage.CharLength(text.data(), next, text.size());
            const char c = text[next];
            if (nextLen == 1 && (c == 'n' || c == 'N'))
                out += '\n';
            else if (nextLen == 1 && (c == 'r' || c == 'R'))
                out += '\r';
            else if (nextLen == 1 && (c == 't' || c == 'T'))
                out += '\t';
            else
                out.append(text, next, nextLen);
            i = next + nextLen;
            continue;
        }
        out.append(text, i, len);
        i += len;
    }
    return out;
}

std::string DefaultInstallFolder(const std::string& windowsDirectory, const TargetOptions& target)
{
    const size_t slash = windowsDirectory.find('\\');  // a drive part holds no double-byte characters
    const std::string drive = windowsDirectory.substr(0, slash);
    return drive + "\\" + target.baseName + "\\" + target.dirName;
}

ScriptDefaults JapaneseDefaults()
{
    ScriptDefaults d;
    d.titleFont = "\x82\x6c\x82\x72\x20\x96\xbe\x92\xa9";                 // ＭＳ 明朝
    d.licenseTitle = "\x8e\x67\x97\x70\x8b\x96\x91\xf8\x8f\xf0\x8c\x8f";  // 使用許諾条件
    d.licenseOk = "\x8f\xb3\x91\xf8\x82\xb7\x82\xe9";                     // 承諾する
    d.licenseCancel = "\x8f\xb3\x91\xf8\x82\xb5\x82\xc8\x82\xa2";         // 承諾しない
    d.finishMessage =  // インストールが完了しました
        "\x83\x43\x83\x93\x83\x58\x83\x67\x81\x5b\x83\x8b\x82\xaa\x8a\xae\x97\xb9\x82\xb5\x82\xdc\x82\xb5\x82"
        "\xbd";
    d.firstOptionText = "\x92\xc7\x89\xc1\x8f\xee\x95\xf1\x82\xf0\x93\xc7\x82\xde";  // 追加情報を読む
    return d;
}

SetupScript ReadSetupScript(fw::Profile& script, int startShow, const ScriptDefaults& defaults)
{
    Reader in(script);
    SetupScript s;

    Look& look = s.look;
    look.show = in.Int("WINDOW", "SHOW", startShow);
    look.title = in.Text("WINDOW", "TITLE", "SETUP");
    look.applic = in.Text("WINDOW", "APPLIC", look.title);
    look.windowClass = in.Text("WINDOW", "CLASS", "ORKVANE");
    look.backColor = in.Hex("WINDOW", "BKCOLOR", "0x800000");
    look.font = in.Text("TITLE", "FONT", defaults.titleFont);
    look.titleColor = in.Hex("TITLE", "COLOR", "0xffff80");
    look.titleWidth = in.Int("TITLE", "WIDTH", 32);
    look.titleHeight = in.Int("TITLE", "HEIGHT", 64);
    look.sign = in.Text("SIGN", "TITLE", defaults.signTitle);
    look.signWidth = in.Int("SIGN", "WIDTH", look.titleWidth / 2);
    look.signHeight = in.Int("SIGN", "HEIGHT", look.titleHeight / 2);

    s.sequence.license = in.Flag("SEQUENCE", "LICENSE");
    s.sequence.selectType = in.Flag("SEQUENCE", "SELECTTYPE");
    s.sequence.chooseFolder = in.Flag("SEQUENCE", "CHOOSEFOLDER");
    s.sequence.finish = in.Flag("SEQUENCE", "FINISH");

    s.license.title = in.Text("LICENSE", "TITLE", defaults.licenseTitle, kLicenseTextLimit);
    s.license.ok = in.Text("LICENSE", "OK", defaults.licenseOk, kLicenseTextLimit);
    s.license.cancel = in.Text("LICENSE", "CANCEL", defaults.licenseCancel, kLicenseTextLimit);
    s.license.file = in.Text("LICENSE", "FILE", defaults.licenseFile, kLicenseTextLimit);

    s.selectType.custom = in.Flag("SELECTTYPE", "MODE");
    s.selectType.help = in.Text("SELECTTYPE", "HELP", "");

    TargetOptions& t = s.target;
    t.dirName = in.Text("TARGET", "DIRNAME", "FREEWARE");
    t.groupName = in.Text("TARGET", "GROUPNAME", "FREEWARE");
    t.baseName = in.Text("TARGET", "BASENAME", "Program Files");
    t.desktop = in.Flag("TARGET", "DESKTOP");
    t.startMenu = in.Flag("TARGET", "STARTMENU");
    t.privateLinks = in.Flag("TARGET", "PRIVATE");

    for (int c = 1; c <= kComponentCount; ++c) {
        const std::string name = Numbered("COMPONENT", c);
        const char* section = name.c_str();
        Component component;
        component.number = c;
        component.name = in.Text(section, "name", "");
        component.directory = in.Text(section, "directory", "");
        component.isDefault = in.Flag(section, "default");
        component.baseFolder = in.Enum<BaseFolder>(section, "special", BaseFolder::InstallFolder);
        component.preselectOn = in.Enum<PreselectPlatform>(section, "os", PreselectPlatform::Any);
        const int count = std::clamp(in.Int(section, "count", 0), 0, kMaxFileEntries);
        for (int n = 1; n <= count; ++n)
            component.files.push_back(ReadFileEntry(in, section, n));
        s.components.push_back(std::move(component));
    }

    s.desktop = ReadShortcuts(in, "DESKTOP", false);
    s.startMenu = ReadShortcuts(in, "STARTMENU", true);

    UninstallOptions& u = s.uninstall;
    u.log = in.Flag("UNINSTALL", "LOG");
    u.uninstaller = in.Flag("UNINSTALL", "UNINSTALLER");
    u.uninstallEntry = in.Flag("UNINSTALL", "REGIST");
    u.logFile = in.Text("UNINSTALL", "LOGFILE", "setup.ini");
    u.exeFile = in.Text("UNINSTALL", "EXEFILE", "setup.exe");
    u.exeParam = in.Text("UNINSTALL", "EXEPARAM", "/UNINSTALL");

    FinishOptions& f = s.finish;
    f.first.offer = in.Enum<FinishOffer>("FINISH", "OPTION1", FinishOffer::Hidden);
    f.second.offer = in.Enum<FinishOffer>("FINISH", "OPTION2", FinishOffer::Hidden);
    f.message = DecodeMessage(in.Text("FINISH", "MESSAGE", defaults.finishMessage, kFinishTextLimit));
    f.first.text = in.Text("FINISH", "OPT1MES", defaults.firstOptionText, kFinishTextLimit);
    f.second.text = in.Text("FINISH", "OPT2MES", "", kFinishTextLimit);
    f.first.file = in.Text("FINISH", "OPT1FILE", "README.TXT");
    f.second.file = in.Text("FINISH", "OPT2FILE", "README.TXT");
    f.second.parameters = in.Text("FINISH", "OPT2PARAM", "");

    s.uninstallSetup = in.Int("UNINSTALLDESC", "UNINSTALL_SETUP", 0) != 0;
    return s;
}

}  // namespace installer

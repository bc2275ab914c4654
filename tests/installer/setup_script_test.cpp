// The setup script's keys, kinds and defaults; the value conversions.
#include <gtest/gtest.h>

#include <functional>

#include "installer/ini_text.h"
#include "installer/setup_script.h"

namespace {

using installer::FileAction;
using installer::IniText;
using installer::Registration;
using installer::SetupScript;

SetupScript Read(const std::string& text, int show = 5)
{
    IniText ini(text);
    return installer::ReadSetupScript(ini, show, installer::JapaneseDefaults());
}

TEST(SetupScript, AnEmptyOrMissingScriptGivesEveryDefault)
{
    const SetupScript s = Read("");
    EXPECT_EQ(s.look.show, 5);
    EXPECT_EQ(s.look.title, "SETUP");
    EXPECT_EQ(s.look.applic, "SETUP");
    EXPECT_EQ(s.look.windowClass, "ORKVANE");
    EXPECT_EQ(s.look.backColor, 0x800000u);
    EXPECT_EQ(s.look.font, "\x82\x6c\x82\x72\x20\x96\xbe\x92\xa9");
    EXPECT_EQ(s.look.titleColor, 0xffff80u);
    EXPECT_EQ(s.look.sign, "FREEWARE Installer");
    EXPECT_EQ(std::vector<int>({s.look.titleWidth, s.look.titleHeight, s.look.signWidth, s.look.signHeight}),
              std::vector<int>({32, 64, 16, 32}));
    EXPECT_FALSE(s.sequence.license || s.sequence.selectType || s.sequence.chooseFolder || s.sequence.finish);
    EXPECT_EQ(s.license.file, "license.txt");
    EXPECT_EQ(s.target.dirName, "FREEWARE");
    EXPECT_EQ(s.target.baseName, "Program Files");
    EXPECT_EQ(s.components.size(), 32u);
    for (const installer::Component& c : s.components)
        EXPECT_TRUE(c.name.empty() && c.files.empty() && !c.isDefault);
    EXPECT_TRUE(s.desktop.empty() && s.startMenu.empty());
    EXPECT_EQ(s.uninstall.logFile, "setup.ini");
    EXPECT_EQ(s.uninstall.exeFile, "setup.exe");
    EXPECT_EQ(s.uninstall.exeParam, "/UNINSTALL");
    EXPECT_EQ(s.finish.first.file, "README.TXT");
    EXPECT_EQ(s.finish.second.file, "README.TXT");
    EXPECT_FALSE(s.uninstallSetup);
    EXPECT_EQ(installer::DefaultInstallFolder("C:\\WINDOWS", s.target), "C:\\Program Files\\FREEWARE");
}

struct KeyCase {
    const char* name;
    const char* script;
    std::function<bool(const SetupScript&)> holds;
};

const KeyCase kKeys[] = {
    {"APPLIC follows TITLE", "[WINDOW]\nTITLE=Tool\n", [](auto& s) { return s.look.applic == "Tool"; }},
    {"SIGN sizes halve the title's", "[TITLE]\nWIDTH=21\nHEIGHT=41\n",
     [](auto& s) { return s.look.signWidth == 10 && s.look.signHeight == 20; }},
    {"BKCOLOR without 0x", "[WINDOW]\nBKCOLOR=800000\n",
     [](auto& s) { return s.look.backColor == 0x800000u; }},
    {"BKCOLOR with 0x", "[WINDOW]\nBKCOLOR=0x123abc\n",
     [](auto& s) { return s.look.backColor == 0x123abcu; }},
    {"SHOW from the script", "[WINDOW]\nSHOW=3\n", [](auto& s) { return s.look.show == 3; }},
    {"flags: any non-zero is on", "[SEQUENCE]\nLICENSE=-1\nFINISH=2\n",
     [](auto& s) { return s.sequence.license && s.sequence.finish && !s.sequence.selectType; }},
    {"RETMIN is hexadecimal", "[COMPONENT01]\ncount=1\nfile01=a\nRETMIN01=10\nRETMAX01=ff\n",
     [](auto& s) {
         return s.components[0].files[0].acceptedExitMin == 16u &&
                s.components[0].files[0].acceptedExitMax == 255u;
     }},
    {"RETMIN and RETMAX defaults", "[COMPONENT01]\ncount=1\n",
     [](auto& s) {
         return s.components[0].files[0].acceptedExitMin == 1u &&
                s.components[0].files[0].acceptedExitMax == 0x7fffffffu;
     }},
    {"UNREGIST follows REGIST", "[COMPONENT01]\ncount=2\nREGIST01=2\nREGIST02=1\nUNREGIST02=0\n",
     [](auto& s) {
         return s.components[0].files[0].unregistration == Registration::Program &&
                s.components[0].files[1].unregistration == Registration::None;
     }},
    {"action defaults to copy", "[COMPONENT01]\ncount=1\n",
     [](auto& s) { return s.components[0].files[0].Kind() == FileAction::Copy; }},
    {"negative count reads as none", "[COMPONENT01]\ncount=-4\nfile01=a\n",
     [](auto& s) { return s.components[0].files.empty(); }},
    {"count is capped", "[COMPONENT02]\ncount=2147483647\n",
     [](auto& s) { return s.components[1].files.size() == 999u; }},
    {"keys past the count are never read", "[COMPONENT01]\ncount=1\nfile01=a\nfile02=b\n",
     [](auto& s) { return s.components[0].files.size() == 1u && s.components[0].files[0].file == "a"; }},
    {"components past 32 are never read", "[COMPONENT33]\nname=x\ndefault=1\ncount=1\nfile01=a\n",
     [](auto& s) { return s.components.size() == 32u && s.components[31].name.empty(); }},
    {"three-digit entry numbers", "[COMPONENT01]\ncount=100\nfile100=last\n",
     [](auto& s) {
         return s.components[0].files[99].file == "last" && s.components[0].files[99].number == 100;
     }},
    {"shortcuts end at the first empty FILE", "[DESKTOP]\nFILE01=a.exe\nFILE02=b.exe\nFILE04=d.exe\n",
     [](auto& s) { return s.desktop.size() == 2u && s.desktop[1].description == "link"; }},
    {"start menu keys", "[STARTMENU]\nFILE01=a.exe\nDIRECTORY01=Sub\nSTARTUP01=1\nPARAM01=/x\n",
     [](auto& s) {
         return s.startMenu[0].directory == "Sub" && s.startMenu[0].startup && s.startMenu[0].param == "/x";
     }},
    {"finish message escapes decoded", "[FINISH]\nMESSAGE=a\\nb\\Tc\\\\d\\qe\n",
     [](auto& s) { return s.finish.message == "a\nb\tc\\dqe"; }},
    {"the log marker", "[UNINSTALLDESC]\nUNINSTALL_SETUP=1\n", [](auto& s) { return s.uninstallSetup; }},
};

TEST(SetupScript, KeysReadWithTheirKindsAndDefaults)
{
    for (const KeyCase& c : kKeys) {
        SCOPED_TRACE(c.name);
        EXPECT_TRUE(c.holds(Read(c.script)));
    }
    const SetupScript long_ = Read("[TARGET]\nDIRNAME=" + std::string(300, 'd') +
                                   "\n[LICENSE]\nTITLE=" + std::string(5000, 't') + "\n");
    EXPECT_EQ(long_.target.dirName.size(), 259u);
    EXPECT_EQ(long_.license.title.size(), 4095u);
}

TEST(SetupScript, ActionKinds)
{
    const std::pair<const char*, FileAction> cases[] = {
        {"copy", FileAction::Copy},  {"COPY", FileAction::Copy}, {"none", FileAction::None},
        {"None", FileAction::None},  {"", FileAction::None},     {"open", FileAction::Verb},
        {"copy ", FileAction::Verb}, {"print", FileAction::Verb}};
    for (const auto& [action, kind] : cases) {
        installer::FileEntry e;
        e.action = action;
        EXPECT_EQ(e.Kind(), kind) << action;
    }
}

TEST(SetupScript, HexValues)
{
    const std::pair<const char*, uint32_t> cases[] = {
        {"", 0},
        {"1", 1},
        {"10", 16},
        {"0x10", 16},
        {"0X7fffffff", 0x7fffffff},
        {" ff", 255},
        {"12zz", 0x12},
        {"zz", 0},
        {"0x", 0},
        {"ffffffff", 0xffffffff},
        {"123456789", 0xffffffff},
        {"-1", 0xffffffff},
        {"+a", 10},
    };
    for (const auto& [text, value] : cases)
        EXPECT_EQ(installer::ParseHex(text), value) << text;
}

TEST(SetupScript, MessageEscapesKeepDoubleByteCharacters)
{
    const std::pair<std::string, std::string> cases[] = {
        {"\\n\\N\\r\\R\\t\\T", "\n\n\r\r\t\t"},
        {"end\\", "end"},
        {"\\\\n", "\\n"},
        {"\x95\x5Cn", "\x95\x5Cn"},  // 表 then n: the trail byte is no backslash
        {"\\\x95\x5C", "\x95\x5C"},  // a backslash before a double-byte character is dropped
    };
    for (const auto& [text, decoded] : cases)
        EXPECT_EQ(installer::DecodeMessage(text), decoded) << text;
}

TEST(SetupScript, ComponentsPreselectByPlatform)
{
    const SetupScript s = Read(
        "[COMPONENT01]\nname=a\ndefault=1\nos=1\n[COMPONENT02]\nname=b\ndefault=1\nos=2\n"
        "[COMPONENT03]\nname=c\ndefault=1\nos=7\n[COMPONENT04]\nname=d\nspecial=4\n");
    EXPECT_EQ(std::vector<bool>({s.components[0].Preselected(true), s.components[1].Preselected(true),
                                 s.components[2].Preselected(true), s.components[3].Preselected(true)}),
              std::vector<bool>({true, false, true, false}));
    EXPECT_EQ(std::vector<bool>({s.components[0].Preselected(false), s.components[1].Preselected(false)}),
              std::vector<bool>({false, true}));
    EXPECT_EQ(s.components[3].baseFolder, installer::BaseFolder::System);
}

}  // namespace

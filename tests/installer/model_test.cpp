// The setup script (INI text by the private-profile rules, its keys, kinds and defaults,
// the value conversions), the page order, the install log and the rules for replacing
// a file.
#include <gtest/gtest.h>

#include <tuple>

#include "installer/ini_text.h"
#include "installer/install_flow.h"
#include "installer/install_log.h"
#include "installer/replace_rule.h"
#include "installer/setup_script.h"

namespace {

using installer::IniText;
using installer::Registration;
using installer::SetupScript;

// What, the text, the section and key read, the value (null: not found).
const std::tuple<const char*, std::string, const char*, const char*, const char*> kReads[] = {
    {"names ignore case", "[Window]\r\nTitle=t\r\n", "WINDOW", "TITLE", "t"},
    {"blanks around everything", "  [ A ]  \n\t k \t=\t v w \t\n", "A", "k", "v w"},
    {"quotes dropped", "[A]\nk=\" v \"\nj='v'\n", "A", "k", " v "},
    {"unmatched quotes kept", "[A]\nk=\"v'\n", "A", "k", "\"v'"},
    {"lone CR ends a line", "[A]\rk=v\rj=w", "A", "j", "w"},
    {"value keeps later equals signs", "[A]\nk=a=b\n", "A", "k", "a=b"},
    {"no equals sign: empty value", "[A]\nk\n", "A", "k", ""},
    {"comment line", "[A]\n;k=v\n", "A", ";k", nullptr},
    {"key before any section", "k=v\n[A]\n", "A", "k", nullptr},
    {"header without bracket", "[A\nk=v\n", "A", "k", "v"},
    {"repeated section continues the first", "[A]\nk=1\n[B]\n[a]\nj=2\n", "A", "j", "2"},
    {"first of repeated keys wins", "[A]\nk=1\nK=2\n", "A", "k", "1"},
    {"NUL ends the text", std::string("[A]\nk=v\0\nj=w\n", 13), "A", "j", nullptr},
    {"byte order mark skipped", "\xEF\xBB\xBF[A]\nk=v\n", "A", "k", "v"},
    {"trail byte 0x5D is not a bracket", "[\x83\x5D]\nk=v\n", "\x83\x5D", "k", "v"},
    {"missing section", "[A]\nk=v\n", "B", "k", nullptr}};

TEST(IniText, ReadsAndWritesByTheProfileRules)
{
    for (const auto& [what, text, section, key, value] : kReads)
        EXPECT_EQ(IniText(text).GetString(section, key, "-"), value ? value : "-") << what;
    EXPECT_EQ(IniText("[A]\nj='v'\n").GetString("A", "j", ""), "v");
    IniText ini("[A]\nempty=\nword=abc\nlead= 12x\nneg=-3\nwrap=4294967297\nhex=0x10\n");
    const std::pair<const char*, int> ints[] = {{"missing", 7}, {"empty", 7}, {"word", 0}, {"lead", 12},
                                                {"neg", -3},    {"wrap", 1},  {"hex", 0}};
    for (const auto& [key, expected] : ints)
        EXPECT_EQ(ini.GetInt("A", key, 7), expected) << key;
    ini.WriteString("a", "WORD", "2");
    ini.WriteInt("C", "n", -5);
    EXPECT_EQ(ini.Text(),
              "[A]\r\nempty=\r\nword=2\r\nlead=12x\r\nneg=-3\r\nwrap=4294967297\r\nhex=0x10\r\n"
              "[C]\r\nn=-5\r\n");
    EXPECT_TRUE(ini.HasSection("c") && ini.HasKey("c", "N") && !ini.HasKey("c", "x"));
    // A read into a buffer never ends inside a double-byte character.
    EXPECT_EQ(installer::LimitText("abcd", 3) + installer::LimitText("ab\x82\xa0", 3), "abcab");
    EXPECT_EQ(installer::LimitText("a\x82\xa0z", 3), "a\x82\xa0");
}

SetupScript Read(const std::string& text)
{
    IniText ini(text);
    return installer::ReadSetupScript(ini, 5, installer::JapaneseDefaults());
}

TEST(SetupScript, KeysReadWithTheirKindsAndLimits)
{
    const SetupScript s = Read(
        "[WINDOW]\nTITLE=T\nSHOW=3\nBKCOLOR=0x123abc\n[TITLE]\nCOLOR=ff\nWIDTH=21\nHEIGHT=41\n"
        "[SEQUENCE]\nLICENSE=-1\nFINISH=2\n[FINISH]\nMESSAGE=a\\nb\n[UNINSTALLDESC]\nUNINSTALL_SETUP=1\n"
        "[COMPONENT01]\ncount=2\nRETMIN01=10\nRETMAX01=ff\nREGIST01=2\nREGIST02=1\nUNREGIST02=0\n"
        "[COMPONENT02]\ncount=-4\nfile01=a\n[COMPONENT03]\ncount=2147483647\n[COMPONENT04]\ncount=1\n"
        "file01=a\nfile02=b\n[COMPONENT05]\ncount=100\nfile100=z\n[COMPONENT33]\nname=x\n"
        "[DESKTOP]\nFILE01=a\nFILE02=b\nFILE04=d\n");
    // APPLIC follows TITLE, SIGN halves TITLE's sizes; flags are on when not 0.
    EXPECT_EQ(std::tie(s.look.applic, s.look.show, s.look.signWidth, s.look.signHeight, s.look.backColor,
                       s.look.titleColor, s.finish.message),
              std::make_tuple("T", 3, 10, 20, 0x123abcu, 0xffu, "a\nb"));
    EXPECT_TRUE(s.sequence.license && s.sequence.finish && !s.sequence.selectType && s.uninstallSetup);
    const std::vector<installer::FileEntry>& f = s.components[0].files;
    EXPECT_EQ(std::tie(f.at(0).acceptedExitMin, f.at(0).acceptedExitMax, f.at(0).unregistration,
                       f.at(1).unregistration),
              std::make_tuple(16u, 255u, Registration::Program, Registration::None));
    std::vector<size_t> counts;
    for (const installer::Component& c : s.components)
        counts.push_back(c.files.size());
    EXPECT_EQ(counts, (std::vector<size_t>{2, 0, 999, 1, 100, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                           0, 0, 0,   0, 0,   0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(s.components[3].files[0].file + s.components[4].files[99].file, "az");
    EXPECT_EQ(s.components[4].files[99].number, 100);
    ASSERT_EQ(s.desktop.size(), 2u);  // up to the first empty FILE
    EXPECT_EQ(s.desktop[1].description, "link");
    const SetupScript limited =
        Read("[TARGET]\nDIRNAME=" + std::string(300, 'd') + "\n[LICENSE]\nTITLE=" + std::string(5000, 't'));
    const installer::Look& l = limited.look;  // the sizes the program was started with or the defaults
    EXPECT_EQ(std::tie(l.show, l.titleWidth, l.titleHeight, l.signWidth, l.signHeight),
              std::make_tuple(5, 32, 64, 16, 32));
    EXPECT_EQ(std::make_pair(limited.target.dirName.size(), limited.license.title.size()),
              std::make_pair(size_t{259}, size_t{4095}));
}

TEST(SetupScript, ValueConversions)
{
    using installer::FileAction;
    const std::pair<const char*, FileAction> actions[] = {{"COPY", FileAction::Copy},
                                                          {"None", FileAction::None},
                                                          {"", FileAction::None},
                                                          {"copy ", FileAction::Verb}};
    for (const auto& [action, kind] : actions) {
        installer::FileEntry e;
        e.action = action;
        EXPECT_EQ(e.Kind(), kind) << action;
    }
    constexpr uint32_t kMax = 0xffffffff;
    const std::pair<const char*, uint32_t> hex[] = {
        {"", 0},   {"10", 16},   {"0x10", 16}, {"0X7f", 0x7f},     {" ff", 255},        {"12zz", 0x12},
        {"0x", 0}, {"-1", kMax}, {"+a", 10},   {"ffffffff", kMax}, {"123456789", kMax},
    };
    for (const auto& [text, value] : hex)
        EXPECT_EQ(installer::ParseHex(text), value) << text;
    // The trail byte 0x5C of 表 is no backslash; a backslash before a double-byte character goes.
    const std::pair<std::string, std::string> messages[] = {{"\\n\\N\\r\\R\\t\\T", "\n\n\r\r\t\t"},
                                                            {"e\\\\n\\q\\", "e\\nq"},
                                                            {"\x95\x5Cn\\\x95\x5C", "\x95\x5Cn\x95\x5C"}};
    for (const auto& [text, decoded] : messages)
        EXPECT_EQ(installer::DecodeMessage(text), decoded) << text;
}

TEST(SetupScript, ComponentsPreselectByPlatformAndListUpToAnEmptyName)
{
    const SetupScript s = Read(
        "[COMPONENT01]\nname=a\ndefault=1\nos=1\n[COMPONENT02]\nname=b\ndefault=1\nos=2\n"
        "[COMPONENT03]\nname=c\ndefault=1\nos=7\n[COMPONENT04]\nname=d\nspecial=4\n"
        "[COMPONENT05]\ndefault=1\n[COMPONENT06]\nname=f\ndefault=1\n");
    for (const bool nt : {true, false}) {
        std::vector<bool> preselected;
        for (const installer::ComponentItem& item : installer::ComponentList(s, nt))
            preselected.push_back(item.preselected);
        EXPECT_EQ(preselected, (std::vector<bool>{nt, !nt, true, false}));
    }
    EXPECT_EQ(s.components[3].baseFolder, installer::BaseFolder::System);
    // Without the type page every default installs, past the list too.
    std::vector<bool> expected(32, false);
    expected[0] = expected[1] = expected[2] = expected[4] = expected[5] = true;
    EXPECT_EQ(installer::DefaultSelection(s), expected);
    expected.assign(32, false);
    expected[1] = true;
    EXPECT_EQ(installer::PageSelection(s, installer::ComponentList(s, true), {false, true}), expected);
}

// Pages by letter: T terms, Y type, D destination, C copying, F finish, A finish
// actions, E end. Events: n next, d decline, b back, f run failed. The sequence: L
// license, S select type, C choose folder, F finish. What, sequence, events, then the
// start page and the page after each event.
const std::tuple<const char*, const char*, const char*, const char*> kFlows[] = {
    {"every page on", "LSCF", "nnnnnn", "TYDCFAE"},
    {"no page on: straight to copying", "", "nn", "CFA"},
    {"terms declined", "LSCF", "dn", "TEE"},
    {"terms then destination", "LC", "nn", "TDC"},
    {"back from destination", "SC", "nbn", "YDYD"},
    {"no back without the type page", "C", "b", "DD"},
    {"back only from destination", "LS", "bnb", "TTYY"},
    {"cancel on type", "S", "d", "YE"},
    {"cancel while copying", "", "d", "CE"},
    {"failed run", "", "f", "CE"},
    {"run failure means nothing elsewhere", "S", "f", "YY"}};

TEST(InstallFlow, PagesFollowTheirOrderAndTheSequenceFlags)
{
    const std::string pages = "TYDCFAE", events = "ndbf";
    for (const auto& [what, sequence, steps, expected] : kFlows) {
        const std::string on = sequence;
        installer::InstallFlow flow({on.find('L') != std::string::npos, on.find('S') != std::string::npos,
                                     on.find('C') != std::string::npos, on.find('F') != std::string::npos});
        std::string seen(1, pages[static_cast<size_t>(flow.Start())]);
        for (const char* e = steps; *e; ++e)
            seen +=
                pages[static_cast<size_t>(flow.Handle(static_cast<installer::PageEvent>(events.find(*e))))];
        EXPECT_EQ(seen, expected) << what;
    }
    EXPECT_FALSE(installer::InstallFlow({}).Shown(installer::Page::Finish));
    EXPECT_EQ(std::make_pair(installer::PageCommand(installer::Page::Destination),
                             installer::PageCommand(installer::Page::FinishActions)),
              std::make_pair(112, 117));  // the main window's commands
    using installer::StartMode;
    const std::tuple<const char*, bool, StartMode> modes[] = {
        {"", false, StartMode::Install},           {"", true, StartMode::Uninstall},
        {"/UNINSTALL", true, StartMode::Launcher}, {"/UNINSTALL", false, StartMode::LauncherNoLogInfo},
        {"/uninstall", false, StartMode::Install}, {"/UNINSTALL ", true, StartMode::Uninstall}};
    for (const auto& [commandLine, marker, mode] : modes)
        EXPECT_EQ(installer::DecideStartMode(commandLine, marker), mode) << commandLine << marker;
}

TEST(InstallFlow, FinishPageAndActions)
{
    installer::FinishOptions finish;
    finish.first.offer = installer::FinishOffer::Checked;
    finish.second.offer = installer::FinishOffer::Unchecked;
    finish.second.parameters = "/p";
    for (const bool restart : {false, true}) {
        const installer::FinishPageState p = installer::MakeFinishPage(finish, restart);
        EXPECT_EQ(
            std::tie(p.firstVisible, p.secondVisible, p.firstChecked, p.secondChecked, p.optionsEnabled,
                     p.restartVisible, p.restartChecked, p.openFirst, p.openSecond),
            std::make_tuple(true, true, !restart, false, !restart, restart, restart, !restart, !restart));
    }
    const installer::FinishPlan plan = installer::PlanFinish(finish, true, true, true, "C:\\App");
    EXPECT_EQ(std::tie(plan.currentFolder, plan.restart), std::make_tuple("C:\\App", true));
    EXPECT_EQ(plan.open, (std::vector<installer::FinishAction>{{"README.TXT", ""}, {"README.TXT", "/p"}}));
    EXPECT_TRUE(installer::PlanFinish(finish, false, false, false, "").open.empty());
}

TEST(InstallLog, WriterWritesEveryEntryAndTheLook)
{
    IniText text;
    installer::LogWriter writer(text);
    installer::FileEntry copy, none;
    copy.unregistration = Registration::Server;
    copy.shareGroup = 3;
    copy.shareComment = "Common";
    none.action = "none";
    none.unregistration = Registration::Program;
    none.unregistrationParameters = "/u";
    EXPECT_TRUE(writer.AddFolder("C:\\App"));
    writer.AddComponentFile(copy, "C:\\App\\a.dll");
    EXPECT_FALSE(writer.AddFolder("c:\\APP"));
    writer.AddComponentFile(none, "C:\\App\\b.exe");
    EXPECT_TRUE(writer.AddFolder("C:\\Menu"));
    writer.AddFile("C:\\Menu\\link.lnk");
    writer.Finish({.title = "Tool", .applic = "ToolKey", .backColor = 0x1FF0000A, .font = "Font"});
    EXPECT_EQ(
        text.Text(),
        "[UNINSTALLDESC]\r\nFOLDER01=C:\\App\r\n"
        "ACTION01=DELETE\r\nFILE01=C:\\App\\a.dll\r\nSHARECOMMENT01=Common\r\nSHARE01=3\r\n"
        "UNREGIST01=1\r\nUNREGISTPARAM01=\r\n"
        "ACTION02=NONE\r\nFILE02=C:\\App\\b.exe\r\nSHARECOMMENT02=\r\nSHARE02=0\r\n"
        "UNREGIST02=2\r\nUNREGISTPARAM02=/u\r\n"
        "FOLDER02=C:\\Menu\r\nFILE03=C:\\Menu\\link.lnk\r\nUNINSTALL_SETUP=1\r\nFILE=3\r\nDIRECTORY=2\r\n"
        "[WINDOW]\r\nTITLE=Tool\r\nAPPLIC=ToolKey\r\nCLASS=ORKVANE\r\nBKCOLOR=f0000a\r\n"
        "[TITLE]\r\nFONT=Font\r\nCOLOR=ffff80\r\nWIDTH=32\r\nHEIGHT=64\r\n"
        "[SIGN]\r\nTITLE=FREEWARE Installer\r\nWIDTH=16\r\nHEIGHT=32\r\n");
    EXPECT_TRUE(installer::ReadInstallLog(text).Complete());
}

// Counts of 0 and below read nothing; counts are bounded; ACTION is read in any case.
TEST(InstallLog, ReaderBoundsTheCounts)
{
    for (const char* counts : {"FILE=0\nDIRECTORY=0\n", "FILE=-9\nDIRECTORY=-1\n"}) {
        IniText ini(std::string("[UNINSTALLDESC]\nUNINSTALL_SETUP=1\nFILE01=C:\\1\nFOLDER01=C:\\F\n") +
                    counts);
        const installer::InstallLog log = installer::ReadInstallLog(ini);
        EXPECT_TRUE(log.files.empty() && log.folders.empty() && log.Complete()) << counts;
    }
    IniText huge("[UNINSTALLDESC]\nFILE=2147483647\nDIRECTORY=2147483647\nFILE01=C:\\1\nACTION01=nOnE\n");
    const installer::InstallLog log = installer::ReadInstallLog(huge);
    EXPECT_EQ(log.missingFiles.size() + log.missingFolders.size(), 2u * installer::kMaxLogEntries - 1);
    EXPECT_FALSE(log.files.at(0).remove || log.marker);
}

TEST(ReplaceRule, WininitRecordGoesAfterTheFirstRenameLineKeepingEveryOtherLine)
{
    const std::pair<const char*, const char*> cases[] = {
        {"[RENAME]\nold=x", "[RENAME]\r\nK=V\r\nold=x\r\n"},
        {"; c\r\n\r\nx[rename]y\r\n[rename]\r\n\r\n", "; c\r\n\r\nx[rename]y\r\nK=V\r\n[rename]\r\n\r\n"},
        {"[Rename]\r\n", nullptr}};  // no rename line: the profile write takes over
    for (const auto& [before, after] : cases)
        EXPECT_EQ(installer::InsertRenameRecord(before, "K", "V"),
                  after ? std::optional<std::string>(after) : std::nullopt)
            << before;
}

TEST(ReplaceRule, CopyDecisionByVersionCheck)
{
    using V = std::optional<installer::FileVersion>;
    const V none, v1{{1, 0}}, v2{{1, 5}}, big{{0x80000000u, 0}};
    const std::tuple<int, bool, V, V, bool> cases[] = {
        {0, true, v1, v2, true},   {1, true, v1, v2, false},  {1, true, v1, v1, true},
        {1, true, none, v2, true}, {1, true, v1, none, true}, {1, true, v2, big, false},
        {1, false, v1, v2, true},  {2, true, v2, v1, false},  {2, false, none, none, true},
        {3, true, v1, v2, true}};
    for (const auto& [check, exists, source, target, copy] : cases)
        EXPECT_EQ(
            installer::ShouldCopy(static_cast<installer::ExistingFileRule>(check), exists, source, target),
            copy)
            << check << exists;
}

}  // namespace

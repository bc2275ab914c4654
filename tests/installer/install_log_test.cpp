// The install log: exact content written, reading back (also when cut short), the
// WININIT.INI record, the version rule and the in-use replacement plan.
#include <gtest/gtest.h>

#include "installer/ini_text.h"
#include "installer/install_log.h"
#include "installer/replace_rule.h"

namespace {

using installer::FileVersion;
using installer::IniText;
using installer::Registration;
using installer::ReplaceOp;

std::string WrittenLog()
{
    IniText log;
    installer::LogWriter writer(log);
    installer::FileEntry copy;
    copy.file = "a.dll";
    copy.shareGroup = 3;
    copy.shareComment = "Common";
    copy.unregistration = Registration::Server;
    installer::FileEntry none = copy;
    none.action = "none";
    none.shareGroup = 0;
    none.shareComment.clear();
    none.unregistration = Registration::Program;
    none.unregistrationParameters = "/u";
    EXPECT_TRUE(writer.AddFolder("C:\\App"));
    writer.AddComponentFile(copy, "C:\\App\\a.dll");
    EXPECT_FALSE(writer.AddFolder("c:\\APP"));
    writer.AddComponentFile(none, "C:\\App\\b.exe");
    EXPECT_TRUE(writer.AddFolder("C:\\Menu\\Group"));
    writer.AddFile("C:\\Menu\\Group\\link.lnk");
    installer::Look look;
    look.title = "Tool";
    look.applic = "ToolKey";
    look.backColor = 0x1FF0000A;
    look.font = "Font";
    writer.Finish(look);
    EXPECT_EQ(writer.FileCount(), 3);
    EXPECT_EQ(writer.FolderCount(), 2);
    return log.Text();
}

TEST(InstallLog, WriterWritesEveryEntryAndTheLook)
{
    EXPECT_EQ(WrittenLog(),
              "[UNINSTALLDESC]\r\n"
              "FOLDER01=C:\\App\r\n"
              "ACTION01=DELETE\r\nFILE01=C:\\App\\a.dll\r\nSHARECOMMENT01=Common\r\nSHARE01=3\r\n"
              "UNREGIST01=1\r\nUNREGISTPARAM01=\r\n"
              "ACTION02=NONE\r\nFILE02=C:\\App\\b.exe\r\nSHARECOMMENT02=\r\nSHARE02=0\r\n"
              "UNREGIST02=2\r\nUNREGISTPARAM02=/u\r\n"
              "FOLDER02=C:\\Menu\\Group\r\nFILE03=C:\\Menu\\Group\\link.lnk\r\n"
              "UNINSTALL_SETUP=1\r\nFILE=3\r\nDIRECTORY=2\r\n"
              "[WINDOW]\r\nTITLE=Tool\r\nAPPLIC=ToolKey\r\nCLASS=ORKVANE\r\nBKCOLOR=f0000a\r\n"
              "[TITLE]\r\nFONT=Font\r\nCOLOR=ffff80\r\nWIDTH=32\r\nHEIGHT=64\r\n"
              "[SIGN]\r\nTITLE=FREEWARE Installer\r\nWIDTH=16\r\nHEIGHT=32\r\n");
}

TEST(InstallLog, ReaderGetsBackWhatTheWriterWrote)
{
    IniText text(WrittenLog());
    const installer::InstallLog log = installer::ReadInstallLog(text);
    EXPECT_TRUE(log.Complete());
    ASSERT_EQ(log.files.size(), 3u);
    EXPECT_TRUE(log.files[0].hasAction && log.files[0].remove);
    EXPECT_EQ(log.files[0].shareGroup, 3);
    EXPECT_EQ(log.files[0].shareComment, "Common");
    EXPECT_FALSE(log.files[1].remove);
    EXPECT_EQ(log.files[1].unregistrationParameters, "/u");
    EXPECT_TRUE(!log.files[2].hasAction && log.files[2].remove);
    ASSERT_EQ(log.folders.size(), 2u);
    EXPECT_EQ(log.folders[1].path, "C:\\Menu\\Group");
}

struct CutCase {
    const char* name;
    const char* text;
    std::vector<int> files;  // numbers read
    std::vector<int> missingFiles;
    size_t folders;
    bool marker;
};

const CutCase kCuts[] = {
    {"run stopped: no marker nor counts",
     "[UNINSTALLDESC]\nFOLDER01=C:\\A\nFILE01=C:\\A\\1\nFILE02=C:\\A\\2\nFIL",
     {1, 2},
     {},
     1,
     false},
    {"counts promise more than is there",
     "[UNINSTALLDESC]\nUNINSTALL_SETUP=1\nFILE=4\nDIRECTORY=2\nFILE01=C:\\1\nFILE03=C:\\3\nFOLDER02=C:\\F\n",
     {1, 3},
     {2, 4},
     1,
     true},
    {"count of zero",
     "[UNINSTALLDESC]\nUNINSTALL_SETUP=1\nFILE=0\nDIRECTORY=0\nFILE01=C:\\1\n",
     {},
     {},
     0,
     true},
    {"negative count", "[UNINSTALLDESC]\nUNINSTALL_SETUP=1\nFILE=-9\nDIRECTORY=0\n", {}, {}, 0, true},
    {"ACTION NONE in any case", "[UNINSTALLDESC]\nFILE01=C:\\1\nACTION01=nOnE\n", {1}, {}, 0, false},
    {"empty log", "", {}, {}, 0, false},
};

TEST(InstallLog, ReaderToleratesALogCutShort)
{
    for (const CutCase& c : kCuts) {
        SCOPED_TRACE(c.name);
        IniText text(c.text);
        const installer::InstallLog log = installer::ReadInstallLog(text);
        std::vector<int> numbers;
        for (const installer::LoggedFile& f : log.files)
            numbers.push_back(f.number);
        EXPECT_EQ(numbers, c.files);
        EXPECT_EQ(log.missingFiles, c.missingFiles);
        EXPECT_EQ(log.folders.size(), c.folders);
        EXPECT_EQ(log.marker, c.marker);
        EXPECT_FALSE(log.Complete() && !c.marker);
    }
    IniText none("[UNINSTALLDESC]\nFILE01=C:\\1\nACTION01=nOnE\n");
    EXPECT_FALSE(installer::ReadInstallLog(none).files[0].remove);
}

TEST(InstallLog, HugeCountsStayBounded)
{
    IniText text("[UNINSTALLDESC]\nUNINSTALL_SETUP=1\nFILE=2147483647\nDIRECTORY=2147483647\n");
    const installer::InstallLog log = installer::ReadInstallLog(text);
    EXPECT_EQ(log.missingFiles.size(), static_cast<size_t>(installer::kMaxLogEntries));
    EXPECT_EQ(log.missingFolders.size(), static_cast<size_t>(installer::kMaxLogEntries));
}

TEST(WininitRecord, InsertedAfterTheRenameLineKeepingEveryOtherLine)
{
    const struct {
        const char* before;
        const char* after;  // null: no rename line, the profile write takes over
    } cases[] = {
        {"[rename]\r\n", "[rename]\r\nK=V\r\n"},
        {"[RENAME]\nold=x", "[RENAME]\r\nK=V\r\nold=x\r\n"},
        {"; c\r\n\r\n[other]\r\na=b\r\n\r\n[rename]\r\nNUL=y\r\n\r\n",
         "; c\r\n\r\n[other]\r\na=b\r\n\r\n[rename]\r\nK=V\r\nNUL=y\r\n\r\n"},
        {"x[rename]y\n[rename]\n", "x[rename]y\r\nK=V\r\n[rename]\r\n"},
        {"[Rename]\r\n", nullptr},
        {"", nullptr},
    };
    for (const auto& c : cases) {
        const std::optional<std::string> out = installer::InsertRenameRecord(c.before, "K", "V");
        EXPECT_EQ(out.has_value(), c.after != nullptr) << c.before;
        if (out && c.after) {
            EXPECT_EQ(*out, c.after);
        }
    }
}

TEST(ReplaceRule, CopyDecisionByVersionCheck)
{
    const std::optional<FileVersion> none;
    const FileVersion v1{1, 0}, v2{1, 5}, big{0x80000000u, 0};
    const struct {
        int check;
        bool exists;
        std::optional<FileVersion> source, target;
        bool copy;
    } cases[] = {
        {0, true, v1, v2, true},  {1, true, v1, v2, false},     {1, true, v2, v1, true},
        {1, true, v1, v1, true},  {1, true, none, v2, true},    {1, true, v1, none, true},
        {1, true, big, v2, true}, {1, true, v2, big, false},    {1, false, v1, v2, true},
        {2, true, v2, v1, false}, {2, false, none, none, true}, {3, true, v1, v2, true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(installer::ShouldCopy(static_cast<installer::ExistingFileRule>(c.check), c.exists, c.source,
                                        c.target),
                  c.copy)
            << c.check << " " << c.exists;
}

TEST(ReplaceRule, InUsePlansByPlatformAndMode)
{
    using Steps = std::vector<installer::ReplaceStep>;
    constexpr installer::InUseRule kReplace = installer::InUseRule::Replace;
    constexpr installer::InUseRule kNtOnly = installer::InUseRule::ReplaceOnNtOnly;
    EXPECT_EQ(installer::PlanInUseReplacement(true, kReplace, "s", "T"),
              (Steps{{ReplaceOp::MoveAside, "T", "T.DeleteOnReboot"},
                     {ReplaceOp::Copy, "s", "T"},
                     {ReplaceOp::DeleteAtRestart, "T.DeleteOnReboot", ""}}));
    EXPECT_EQ(installer::PlanInUseReplacement(true, kNtOnly, "s", "T"),
              installer::PlanInUseReplacement(true, kReplace, "s", "T"));
    EXPECT_EQ(installer::PlanInUseReplacement(false, kReplace, "s", "T"),
              (Steps{{ReplaceOp::DeleteAgain, "T", "s"},
                     {ReplaceOp::Copy, "s", "T.replace"},
                     {ReplaceOp::RecordRename, "T", "T.replace"}}));
    EXPECT_EQ(installer::PlanInUseReplacement(false, kNtOnly, "s", "T"),
              (Steps{{ReplaceOp::DeleteAgain, "T", "s"}, {ReplaceOp::KeepOld, "T", ""}}));
}

}  // namespace

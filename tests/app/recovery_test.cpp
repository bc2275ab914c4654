#include <gtest/gtest.h>

#include "app/recovery.h"
#include "lists/recovery_journal.h"
#include "tests/support/memory_filesystem.h"
#include "tests/support/scripted_prompts.h"

namespace {

TEST(JournalPath, OneJournalPerProgramFolderBesideTheProfile)
{
    std::string lock;
    const std::string path = app::JournalPath("C:\\Users\\u\\Roaming\\Lumsor20\\Lumsor20.ini",
                                              "C:\\Tools\\Sorter\\Lumsor20.exe", &lock);
    EXPECT_EQ(path.rfind("C:\\Users\\u\\Roaming\\Lumsor20\\Lumsor20.", 0), 0u) << path;
    EXPECT_EQ(lock, "Local\\" + path.substr(path.rfind('\\') + 1));
    EXPECT_EQ(app::JournalPath("C:\\x\\Lumsor20.ini", "c:\\tools\\SORTER\\Lumsor20.exe"),
              app::JournalPath("C:\\x\\Lumsor20.ini", "C:\\Tools\\Sorter\\Lumsor20.exe"));
    EXPECT_NE(app::JournalPath("C:\\x\\Lumsor20.ini", "C:\\Tools\\Other\\Lumsor20.exe"),
              app::JournalPath("C:\\x\\Lumsor20.ini", "C:\\Tools\\Sorter\\Lumsor20.exe"));
}

// The question at start-up and its answers, over a journal of two files, one change of
// which is damaged in the middle in the last row.
TEST(OfferRecovery, RestoresOnYesAndDiscardsOnlyAfterASecondYes)
{
    const std::wstring offer =
        L"前回の Lumsor20 "
        L"は正常に終了しませんでした。\r\n記録されていたリストの内容（2個のファイル）を復元しますか？";
    const std::wstring confirm =
        L"記録を破棄すると、前回のリストの内容は元に戻せません。\r\n破棄してよろしいですか？";
    const std::wstring damaged = L"記録の一部が壊れていたため、2件の変更を読み込めませんでした。";
    // The answers, the journal damaged; the outcome and the texts shown.
    const std::tuple<std::vector<int>, bool, app::Recovery, std::vector<std::wstring>> rows[] = {
        {{fw::kIdYes}, false, app::Recovery::Restored, {offer}},
        {{fw::kIdNo, fw::kIdYes}, false, app::Recovery::Discarded, {offer, confirm}},
        {{fw::kIdNo, fw::kIdNo}, false, app::Recovery::Restored, {offer, confirm}},
        {{fw::kIdYes, fw::kIdOk}, true, app::Recovery::Restored, {offer, damaged}},
    };
    for (const auto& [answers, damage, result, texts] : rows) {
        SCOPED_TRACE(answers.size() * 10 + damage);
        testing_support::MemoryFileSystem fs;
        fs.AddFolder("C:\\p");
        struct : fw::Clock {
            uint32_t Milliseconds() override { return 0; }
        } clock;
        {
            lists::ListSet before(fs);
            lists::RecoveryJournal journal(fs, clock);
            ASSERT_TRUE(journal.Start(before, "C:\\p\\j"));
            before.List(3).InsertAndSelect("C:\\a.jpg");
            before.List(3).InsertAndSelect("C:\\b.jpg");
            journal.Idle();
            before.List(7).InsertAndSelect("C:\\c.jpg");
            before.List(7).ClearList();
        }
        if (damage) {
            std::string bytes;
            fs.ReadAll("C:\\p\\j", bytes);
            bytes[bytes.size() - 20] ^= 1;  // the last change but one
            fs.AddFile("C:\\p\\j", bytes);
        }
        testing_support::ScriptedPrompts prompts;
        for (int answer : answers)
            prompts.Answer(answer);
        lists::ListSet after(fs);
        EXPECT_EQ(app::OfferRecovery(fs, after, "C:\\p\\j", 0), result);
        std::vector<std::wstring> shown;
        for (const auto& box : prompts.All())
            shown.push_back(box.text);
        EXPECT_EQ(shown, texts);
        const bool restored = result == app::Recovery::Restored;
        const std::vector<std::string> kept{"C:\\a.jpg", "C:\\b.jpg"};
        EXPECT_EQ(after.List(3).Paths().Paths(), restored ? kept : std::vector<std::string>());
        EXPECT_EQ(after.List(3).Position(), restored ? 1 : 0);
        EXPECT_EQ(after.TotalCount(), restored ? 2 : 0);
    }
    testing_support::ScriptedPrompts none;
    testing_support::MemoryFileSystem fs;
    lists::ListSet lists(fs);
    EXPECT_EQ(app::OfferRecovery(fs, lists, "C:\\p\\missing", 0), app::Recovery::None);
    EXPECT_EQ(none.Count(), 0u);
}

}  // namespace

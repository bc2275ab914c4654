#include "app/recovery.h"

#include <cstdio>

#include "framework/core/ascii.h"
#include "framework/core/path.h"
#include "framework/core/prompts.h"
#include "lists/recovery_journal.h"

namespace app {

namespace {

std::wstring OfferText(size_t entries)
{
    return L"前回の Lumsor20 は正常に終了しませんでした。\r\n記録されていたリストの内容（" +
           std::to_wstring(entries) + L"個のファイル）を復元しますか？";
}

const wchar_t kConfirmDiscard[] =
    L"記録を破棄すると、前回のリストの内容は元に戻せません。\r\n破棄してよろしいですか？";

std::wstring UnreadableText(size_t changes)
{
    return L"記録の一部が壊れていたため、" + std::to_wstring(changes) + L"件の変更を読み込めませんでした。";
}

}  // namespace

std::string JournalPath(std::string_view profilePath, std::string_view programPath, std::string* lockName)
{
    // FNV-1a over the program's folder, letters folded: one name per folder however
    // its path is spelt in case.
    const std::string folder = fw::ParentOf(programPath);
    uint32_t hash = 2166136261u;
    for (char c : folder) {
        hash ^= static_cast<unsigned char>(fw::AsciiUpper(c));
        hash *= 16777619u;
    }
    char name[48];
    std::snprintf(name, sizeof name, "Lumsor20.%08X.journal", static_cast<unsigned>(hash));
    if (lockName)
        *lockName = std::string("Local\\") + name;
    return fw::JoinPath(fw::ParentOf(profilePath), name);
}

Recovery OfferRecovery(fw::FileSystem& fs, lists::ListSet& lists, const std::string& path, intptr_t owner)
{
    std::string bytes;
    if (!fs.ReadAll(path, bytes))
        return Recovery::None;
    lists::JournalContents contents = lists::ReadJournal(bytes, lists.List(0).Paths().Order());
    bytes = std::string();
    const size_t entries = contents.TotalEntries();
    if (entries == 0) {
        if (contents.unreadable)
            fw::Ask(UnreadableText(contents.unreadable), fw::kMbOk | fw::kMbIconExclamation, owner);
        return Recovery::None;
    }
    if (fw::Ask(OfferText(entries), fw::kMbYesNo | fw::kMbIconQuestion, owner) != fw::kIdYes &&
        fw::Ask(kConfirmDiscard, fw::kMbYesNo | fw::kMbIconExclamation | fw::kMbDefButton2, owner) ==
            fw::kIdYes)
        return Recovery::Discarded;
    for (int n = 0; n < lists::kListCount; ++n)
        lists.List(n).Restore(std::move(contents.lists[static_cast<size_t>(n)]),
                              contents.positions[static_cast<size_t>(n)]);
    if (contents.unreadable)
        fw::Ask(UnreadableText(contents.unreadable), fw::kMbOk | fw::kMbIconExclamation, owner);
    return Recovery::Restored;
}

}  // namespace app

#include "app/catalog.h"

#include <climits>
#include <cstdio>
#include <string>
#include <vector>

#include "framework/core/ascii.h"
#include "framework/core/prompts.h"
#include "framework/core/wait.h"

namespace app {

namespace {

// fgets with a buffer of this size reads at most one byte less per call.
constexpr size_t kLineBuffer = 4095;
constexpr char kEndOfFile = 0x1A;

const wchar_t kCannotOpen[] = L"ファイルを開けません";
const wchar_t kCannotCreate[] = L"ファイルが作成できません";
const wchar_t kWriteFailed[] = L"ファイル書き込みに失敗しました";
const wchar_t kDiscard[] = L"現在のデータを破棄しますか？";

}  // namespace

void ForEachCatalogLine(std::string_view bytes, const fw::CodePage& codePage,
                        const std::function<void(std::string_view line)>& onLine)
{
    // Text mode: the file ends at 0x1A and CR LF reads as LF.
    size_t end = bytes.find(kEndOfFile);
    if (end == std::string_view::npos)
        end = bytes.size();
    std::string text;
    text.reserve(end);
    for (size_t i = 0; i < end; ++i) {
        if (bytes[i] == '\r' && i + 1 < end && bytes[i + 1] == '\n')
            continue;
        text.push_back(bytes[i]);
    }

    for (size_t start = 0; start < text.size();) {
        // One fgets: up to and including LF, at most kLineBuffer - 1 bytes.
        size_t limit = std::min(text.size(), start + kLineBuffer - 1);
        size_t stop = start;
        while (stop < limit && text[stop] != '\n')
            ++stop;
        size_t next = stop < limit ? stop + 1 : limit;
        std::string_view piece(text.data() + start, next - start);
        start = next;

        // The piece as a C string, cut at its first CR or LF character.
        size_t nul = piece.find('\0');
        if (nul != std::string_view::npos)
            piece = piece.substr(0, nul);
        size_t cut = 0;
        while (cut < piece.size() && piece[cut] != '\r' && piece[cut] != '\n')
            cut = codePage.Next(piece.data(), cut, piece.size());
        onLine(piece.substr(0, std::min(cut, piece.size())));
    }
}

int CatalogHeaderList(std::string_view line)
{
    size_t i = line.empty() || line[0] != '*' ? 0 : 1;
    while (i < line.size() && fw::IsAsciiSpace(line[i]))
        ++i;
    bool negative = false;
    if (i < line.size() && (line[i] == '+' || line[i] == '-'))
        negative = line[i++] == '-';
    long long value = 0;
    for (; i < line.size() && line[i] >= '0' && line[i] <= '9'; ++i) {
        value = value * 10 + (line[i] - '0');
        if (value > INT_MAX)
            return 0;  // out of range either way
    }
    if (negative)
        value = -value;
    return value >= 0 && value < lists::kListCount ? static_cast<int>(value) : 0;
}

std::wstring Catalog::LoadedMessage(const CatalogCounts& counts)
{
    return std::to_wstring(counts.loaded) + L"個のファイルをロードしました。\r\n全項目数" +
           std::to_wstring(counts.total) + L"、対象外項目数" + std::to_wstring(counts.Excluded());
}

int Catalog::Ask(const wchar_t* text, unsigned flags)
{
    return fw::Ask(text, flags, host_.Owner());
}

void Catalog::New()
{
    if (lists_.TotalCount() > 0 && Ask(kDiscard, fw::kMbYesNo | fw::kMbIconQuestion) != fw::kIdYes)
        return;
    for (int n = 0; n < lists::kListCount; ++n)
        lists_.List(n).ClearList();
    host_.ApplyCacheSettings();
    path_.clear();
}

void Catalog::Open()
{
    std::string chosen = path_;
    if (!host_.ChooseCatalogFile(false, chosen))
        return;
    Load(chosen);
}

void Catalog::Save()
{
    if (path_.empty()) {
        SaveAs();
        return;
    }
    Write(path_);
}

void Catalog::SaveAs()
{
    std::string chosen = path_;
    if (!host_.ChooseCatalogFile(true, chosen))
        return;
    path_ = chosen;
    Write(path_);
}

void Catalog::FinishList(int listNumber, std::vector<std::string>& pending)
{
    lists::ListModel& list = lists_.List(listNumber);
    list.InsertAndSelectMany(std::move(pending));
    pending.clear();
    list.RemoveMissing(false);
    list.NotifyLoaded();
    list.UpdateView(0);
}

bool Catalog::Load(const std::string& path, CatalogCounts* countsOut)
{
    fw::WaitScope wait(host_);
    std::string bytes;
    if (!fs_.ReadAll(path, bytes)) {
        Ask(kCannotOpen, fw::kMbOk);
        return false;
    }
    path_ = path;
    CatalogCounts counts;
    int target = 0;
    // The paths accepted for the target list since its header; they are inserted
    // together when the list is finished, as InsertAndSelect one by one would.
    std::vector<std::string> pending;
    const fw::CodePage& codePage = lists_.List(0).Paths().Order().CodePage();
    ForEachCatalogLine(bytes, codePage, [&](std::string_view line) {
        if (!line.empty() && line[0] == '*') {
            FinishList(target, pending);
            target = CatalogHeaderList(line);
            return;
        }
        ++counts.total;
        std::string entry(line);
        uint32_t attributes = fs_.Attributes(entry);
        if (attributes == fw::kAttrInvalid || (attributes & fw::kAttrDirectory))
            return;
        if (!lists_.List(target).FilterAccepts(entry))
            return;
        pending.push_back(std::move(entry));
        ++counts.loaded;
    });
    FinishList(target, pending);
    bytes.clear();
    Ask(LoadedMessage(counts).c_str(), fw::kMbOk | fw::kMbIconInformation);
    if (countsOut)
        *countsOut = counts;
    return true;
}

bool Catalog::Write(const std::string& path)
{
    fw::WaitScope wait(host_);
    // The lists go to a file of their own first, never one the user already has.
    std::string temp = path + ".tmp";
    for (int n = 1; n < 100 && fs_.Attributes(temp) != fw::kAttrInvalid; ++n)
        temp = path + ".tmp" + std::to_string(n);
    std::unique_ptr<fw::OutputFile> out =
        fs_.Attributes(temp) == fw::kAttrInvalid ? fs_.Create(temp) : nullptr;
    if (!out) {
        Ask(kCannotCreate, fw::kMbOk);
        return false;
    }
    bool written = true;
    for (int n = 0; n < lists::kListCount && written; ++n) {
        char header[16];
        int length = std::snprintf(header, sizeof header, "*%d\r\n", n);
        written = out->Write(header, static_cast<size_t>(length)) == static_cast<size_t>(length) &&
                  lists_.List(n).WriteList(*out);
    }
    written = out->Close() && written;
    out.reset();
    if (!written) {
        fs_.Remove(temp);
        Ask(kWriteFailed, fw::kMbOk);
        return false;
    }
    if (!fs_.Replace(temp, path)) {
        fs_.Remove(temp);
        Ask(kCannotCreate, fw::kMbOk);
        return false;
    }
    return true;
}

}  // namespace app

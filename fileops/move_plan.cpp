#include "fileops/move_plan.h"

#include <algorithm>

#include "framework/core/path.h"
#include "framework/core/ascii.h"
#include "framework/core/prompts.h"

namespace fileops {

namespace {

const wchar_t kCheckWarning[] =
    L"ファイル名が重複しているか、\r\nコピー・移動元ファイルを上書きしようとしているか、\r\n\r\n"
    L"不正な文字が使用されているためコピーできません";
const wchar_t kNameWarning[] = L"ファイル名には次の文字はつかえません。\r\n*?;:<>|\\/,\"";

bool HasForbiddenCharacter(std::string_view name, const fw::CodePage& cp, bool controls)
{
    const std::string_view forbidden(kForbiddenNameChars);
    for (size_t i = 0; i < name.size(); i = cp.Next(name.data(), i, name.size())) {
        if (cp.CharLength(name.data(), i, name.size()) != 1)
            continue;
        auto c = static_cast<unsigned char>(name[i]);
        if (forbidden.find(name[i]) != std::string_view::npos || (controls && c < 0x20))
            return true;
    }
    return false;
}

// CON, PRN, AUX, NUL, COM1-9 and LPT1-9, alone or before a dot: Windows opens the
// device instead of a file of that name.
bool IsDeviceName(std::string_view key)
{
    std::string base(key.substr(0, key.find('.')));
    while (!base.empty() && base.back() == ' ')
        base.pop_back();
    for (char& c : base)
        c = fw::AsciiUpper(c);
    if (base == "CON" || base == "PRN" || base == "AUX" || base == "NUL")
        return true;
    return base.size() == 4 && (base.compare(0, 3, "COM") == 0 || base.compare(0, 3, "LPT") == 0) &&
           base[3] >= '1' && base[3] <= '9';
}

}  // namespace

std::string_view NameKey(std::string_view name, const fw::CodePage& cp)
{
    size_t end = 0;
    for (size_t i = 0; i < name.size();) {
        size_t length = cp.CharLength(name.data(), i, name.size());
        if (length != 1 || (name[i] != '.' && name[i] != ' '))
            end = i + length;
        i += length;
    }
    return name.substr(0, end);
}

LocalTime SourceTime(fw::FileSystem& fs, const std::string& path)
{
    fw::FileInfo info;
    return fs.Find(path, info) ? ToLocalTime(info.lastWrite) : LocalTime();
}

MovePlan MovePlan::Build(const std::vector<std::string>& sources, const std::string& folder,
                         const lists::FilterPattern& filter, std::string_view renamePattern,
                         fw::FileSystem& fs, const lists::PathOrder& order)
{
    const fw::CodePage& cp = order.CodePage();
    auto keyLess = [&](std::string_view a, std::string_view b) {
        return order.Less(NameKey(a, cp), NameKey(b, cp));
    };

    std::vector<std::string> existing;
    fs.Enumerate(folder + "*.*", [&](const fw::DirEntry& entry) {
        if (!(entry.info.attributes & fw::kAttrDirectory) && !entry.name.empty() && entry.name[0] != '.' &&
            filter.Matches(entry.name))
            existing.push_back(entry.name);
        return true;
    });
    // A set: of equal names the first one found stays.
    std::stable_sort(existing.begin(), existing.end(), keyLess);
    existing.erase(std::unique(existing.begin(), existing.end(),
                               [&](const std::string& a, const std::string& b) { return !keyLess(a, b); }),
                   existing.end());

    struct Planned {
        std::string name;
        const std::string* source;
    };
    std::vector<Planned> planned;
    planned.reserve(sources.size());
    for (size_t j = 0; j < sources.size(); ++j) {
        std::string name(fw::FileNameOf(sources[j], cp));
        if (!renamePattern.empty())
            name =
                ExpandTemplate(name, renamePattern, SourceTime(fs, sources[j]), static_cast<int32_t>(j), cp);
        planned.push_back({std::move(name), &sources[j]});
    }
    std::sort(planned.begin(), planned.end(), [&](const Planned& a, const Planned& b) {
        int byKey = order.Compare(NameKey(a.name, cp), NameKey(b.name, cp));
        if (byKey != 0)
            return byKey < 0;
        int byName = order.Compare(a.name, b.name);
        return byName != 0 ? byName < 0 : order.Less(*a.source, *b.source);
    });

    MovePlan plan(folder, order);
    plan.rows_.reserve(existing.size() + planned.size());
    auto next = existing.begin();
    auto existingOnly = [&](std::string name) {
        PlanRow row;
        row.source = kNoSource;
        row.existingName = std::move(name);
        plan.rows_.push_back(std::move(row));
    };
    for (Planned& entry : planned) {
        while (next != existing.end() && keyLess(*next, entry.name))
            existingOnly(std::move(*next++));
        PlanRow row;
        row.source = *entry.source;
        if (next != existing.end() && !keyLess(entry.name, *next))
            row.existingName = std::move(*next++);
        row.newName = std::move(entry.name);
        plan.rows_.push_back(std::move(row));
    }
    while (next != existing.end())
        existingOnly(std::move(*next++));
    return plan;
}

bool MovePlan::Validate()
{
    const fw::CodePage& cp = order_->CodePage();
    auto byKey = [&](const std::pair<std::string_view, size_t>& a,
                     const std::pair<std::string_view, size_t>& b) { return order_->Less(a.first, b.first); };

    // Sources lying in the folder, and the rows that go somewhere, each by name key.
    std::vector<std::pair<std::string_view, size_t>> inFolder;
    std::vector<std::pair<std::string_view, size_t>> named;
    for (size_t i = 0; i < rows_.size(); ++i) {
        PlanRow& row = rows_[i];
        row.invalid = false;
        if (!row.ExistingOnly()) {
            size_t cut = fw::LastSeparator(row.source, cp);
            if (cut != std::string::npos &&
                order_->Equal(std::string_view(row.source).substr(0, cut + 1), folder_))
                inFolder.emplace_back(NameKey(std::string_view(row.source).substr(cut + 1), cp), i);
        }
        if (!row.newName.empty())
            named.emplace_back(NameKey(row.newName, cp), i);
    }
    std::sort(inFolder.begin(), inFolder.end(), byKey);
    std::stable_sort(named.begin(), named.end(), byKey);

    for (size_t start = 0; start < named.size();) {
        size_t end = start + 1;
        while (end < named.size() && !byKey(named[start], named[end]))
            ++end;
        for (size_t k = start; end - start > 1 && k < end; ++k)
            rows_[named[k].second].invalid = true;
        start = end;
    }

    for (const auto& [key, i] : named) {
        PlanRow& row = rows_[i];
        if (key.empty() || HasForbiddenCharacter(row.newName, cp, true) || IsDeviceName(key) ||
            folder_.size() + row.newName.size() > kMaxPathBytes)
            row.invalid = true;
        auto [low, high] = std::equal_range(inFolder.begin(), inFolder.end(), std::make_pair(key, i), byKey);
        for (auto it = low; it != high; ++it)
            if (it->second != i)
                row.invalid = true;
    }
    return std::none_of(rows_.begin(), rows_.end(), [](const PlanRow& row) { return row.invalid; });
}

std::vector<size_t> MovePlan::InvalidRows() const
{
    std::vector<size_t> invalid;
    for (size_t i = 0; i < rows_.size(); ++i)
        if (rows_[i].invalid)
            invalid.push_back(i);
    return invalid;
}

NameEdit MovePlan::EditName(size_t row, std::string_view text)
{
    if (!CanEditName(row))
        return NameEdit::NotEditable;
    if (HasForbiddenCharacter(text, order_->CodePage(), false))
        return NameEdit::Forbidden;
    if (text.empty())
        return NameEdit::Empty;
    rows_[row].newName = text;
    return NameEdit::Accepted;
}

void MovePlan::Exclude(const std::vector<size_t>& rows)
{
    for (size_t row : rows)
        if (row < rows_.size())
            rows_[row].newName.clear();
}

void MovePlan::BatchRename(std::vector<size_t> rows, std::string_view pattern, int32_t& sequence,
                           fw::FileSystem& fs)
{
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    for (size_t i : rows) {
        if (!CanEditName(i))
            continue;
        PlanRow& row = rows_[i];
        row.newName =
            ExpandTemplate(row.newName, pattern, SourceTime(fs, row.source), sequence, order_->CodePage());
        sequence = static_cast<int32_t>(static_cast<uint32_t>(sequence) + 1u);  // wraps like the int it is
    }
}

bool CheckPlan(MovePlan& plan, intptr_t owner)
{
    if (plan.Validate())
        return true;
    fw::Ask(kCheckWarning, fw::kMbOk | fw::kMbIconExclamation, owner);
    return false;
}

bool EndNameEdit(MovePlan& plan, size_t row, std::string_view text, intptr_t owner)
{
    NameEdit result = plan.EditName(row, text);
    if (result == NameEdit::Forbidden)
        fw::Ask(kNameWarning, fw::kMbOk | fw::kMbIconExclamation, owner);
    return result == NameEdit::Accepted;
}

}  // namespace fileops

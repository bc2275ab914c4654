#include "installer/ini_text.h"

#include "framework/core/ascii.h"

namespace installer {

namespace {

std::string_view Trim(std::string_view s)
{
    while (!s.empty() && fw::IsBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && fw::IsBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

// Index of the first character `c` in `s`, stepping by characters; npos when absent.
size_t FindChar(std::string_view s, char c, const fw::CodePage& codePage)
{
    for (size_t i = 0; i < s.size(); i = codePage.Next(s.data(), i, s.size()))
        if (s[i] == c)
            return i;
    return std::string_view::npos;
}

}  // namespace

std::string LimitText(const std::string& text, size_t limit, const fw::CodePage& codePage)
{
    if (text.size() <= limit)
        return text;
    size_t end = 0;
    while (end < text.size()) {
        const size_t next = codePage.Next(text.data(), end, text.size());
        if (next > limit)
            break;
        end = next;
    }
    return text.substr(0, end);
}

IniText::IniText(std::string_view text, const fw::CodePage& codePage) : codePage_(codePage)
{
    Parse(text);
}

void IniText::Parse(std::string_view text)
{
    text = text.substr(0, text.find('\0'));
    if (text.starts_with("\xEF\xBB\xBF"))
        text.remove_prefix(3);
    Section* current = nullptr;
    while (!text.empty()) {
        const size_t end = text.find_first_of("\r\n");
        std::string_view line = Trim(text.substr(0, end));
        if (end == std::string_view::npos) {
            text = {};
        } else {
            const bool crlf = text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n';
            text.remove_prefix(end + (crlf ? 2 : 1));
        }
        if (line.empty() || line.front() == ';')
            continue;
        if (line.front() == '[') {
            line.remove_prefix(1);
            const std::string_view name = Trim(line.substr(0, FindChar(line, ']', codePage_)));
            current = FindSection(name);
            if (!current)
                current = &AddSection(name);
            continue;
        }
        if (!current)
            continue;
        const size_t equals = FindChar(line, '=', codePage_);
        const std::string_view key = Trim(line.substr(0, equals));
        if (key.empty())
            continue;
        std::string_view value =
            equals == std::string_view::npos ? std::string_view() : Trim(line.substr(equals + 1));
        if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
            value.back() == value.front())
            value = value.substr(1, value.size() - 2);
        if (current->index.emplace(Fold(key), current->entries.size()).second)
            current->entries.push_back({std::string(key), std::string(value)});
    }
}

std::string IniText::Fold(std::string_view name) const
{
    std::string folded(name);
    codePage_.UpperAscii(folded);
    return folded;
}

IniText::Section& IniText::AddSection(std::string_view name)
{
    index_.emplace(Fold(name), sections_.size());
    sections_.push_back({std::string(name), {}, {}});
    return sections_.back();
}

IniText::Section* IniText::FindSection(std::string_view name)
{
    auto it = index_.find(Fold(name));
    return it == index_.end() ? nullptr : &sections_[it->second];
}

const IniText::Section* IniText::FindSection(std::string_view name) const
{
    return const_cast<IniText*>(this)->FindSection(name);
}

const IniText::Entry* IniText::FindEntry(const char* section, const char* key) const
{
    const Section* found = FindSection(section);
    if (!found)
        return nullptr;
    auto it = found->index.find(Fold(key));
    return it == found->index.end() ? nullptr : &found->entries[it->second];
}

bool IniText::HasSection(const char* section) const
{
    return FindSection(section) != nullptr;
}

bool IniText::HasKey(const char* section, const char* key) const
{
    return FindEntry(section, key) != nullptr;
}

int IniText::GetInt(const char* section, const char* key, int defaultValue)
{
    const Entry* entry = FindEntry(section, key);
    return !entry || entry->value.empty() ? defaultValue : fw::ParseProfileInt(entry->value);
}

std::string IniText::GetString(const char* section, const char* key, const std::string& defaultValue)
{
    const Entry* entry = FindEntry(section, key);
    return entry ? entry->value : defaultValue;
}

bool IniText::WriteInt(const char* section, const char* key, int value)
{
    return WriteString(section, key, std::to_string(value));
}

bool IniText::WriteString(const char* section, const char* key, const std::string& value)
{
    Section* found = FindSection(section);
    if (!found)
        found = &AddSection(section);
    auto [it, added] = found->index.emplace(Fold(key), found->entries.size());
    if (added)
        found->entries.push_back({key, value});
    else
        found->entries[it->second].value = value;
    return true;
}

std::string IniText::Text() const
{
    std::string out;
    for (const Section& section : sections_) {
        out += "[" + section.name + "]\r\n";
        for (const Entry& entry : section.entries)
            out += entry.key + "=" + entry.value + "\r\n";
    }
    return out;
}

}  // namespace installer

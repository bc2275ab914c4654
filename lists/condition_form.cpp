#include "lists/condition_form.h"

#include "framework/core/prompts.h"

namespace lists {

namespace {

const wchar_t kNotUnsigned[] = L"正の整数を入力してください。";

bool IsBlank(wchar_t c)
{
    return c == L' ' || c == L'\t';
}

// White space as the C library's isspace knows it; never a byte of a double-byte
// character, whose lead bytes are 0x81 and up and whose trail bytes are 0x40 and up.
bool IsSpace(char c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

std::string Trimmed(const std::string& text)
{
    size_t begin = 0;
    size_t end = text.size();
    while (begin < end && IsSpace(text[begin]))
        ++begin;
    while (end > begin && IsSpace(text[end - 1]))
        --end;
    return text.substr(begin, end - begin);
}

}  // namespace

bool ParseUnsignedText(std::wstring_view text, uint32_t& value)
{
    size_t i = 0;
    while (i < text.size() && IsBlank(text[i]))
        ++i;
    const size_t digits = i;
    uint64_t number = 0;
    for (; i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i) {
        number = number * 10 + static_cast<uint64_t>(text[i] - L'0');
        if (number > UINT32_MAX)
            return false;
    }
    if (i == digits)
        return false;
    while (i < text.size() && IsBlank(text[i]))
        ++i;
    if (i != text.size())
        return false;
    value = static_cast<uint32_t>(number);
    return true;
}

ConditionCheck ReadConditionFields(const ConditionFields& fields, LoadCondition& condition)
{
    ConditionCheck check;
    uint32_t minimum = 0;
    uint32_t maximum = 0;
    if (!ParseUnsignedText(fields.minimumText, minimum)) {
        check.focusControl = kMinimumEdit;
    } else if (!ParseUnsignedText(fields.maximumText, maximum)) {
        check.focusControl = kMaximumEdit;
    } else {
        condition.folder = Trimmed(fields.folder);
        condition.subfolders = fields.subfolders;
        condition.namePattern = Trimmed(fields.namePattern);
        condition.minimumOn = fields.minimumOn;
        condition.minimumKBytes = minimum;
        condition.maximumOn = fields.maximumOn;
        condition.maximumKBytes = maximum;
        check.ok = true;
        return check;
    }
    check.message = kNotUnsigned;
    check.flags = fw::kMbOk | fw::kMbIconExclamation;
    return check;
}

}  // namespace lists

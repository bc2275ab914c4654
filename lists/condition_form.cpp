#include "lists/condition_form.h"

#include "framework/core/ascii.h"
#include "framework/core/field_text.h"
#include "framework/core/prompts.h"

namespace lists {

namespace {

const wchar_t kNotUnsigned[] = L"正の整数を入力してください。";

std::string Trimmed(const std::string& text)
{
    size_t begin = 0;
    size_t end = text.size();
    while (begin < end && fw::IsAsciiSpace(text[begin]))
        ++begin;
    while (end > begin && fw::IsAsciiSpace(text[end - 1]))
        --end;
    return text.substr(begin, end - begin);
}

}  // namespace

ConditionCheck ReadConditionFields(const ConditionFields& fields, LoadCondition& condition)
{
    ConditionCheck check;
    uint32_t minimum = 0;
    uint32_t maximum = 0;
    if (!fw::ParseUnsignedText(fields.minimumText, minimum)) {
        check.focusControl = kMinimumEdit;
    } else if (!fw::ParseUnsignedText(fields.maximumText, maximum)) {
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

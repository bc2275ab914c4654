// The condition dialog's (dialog 141) checks when OK is pressed, over the texts its
// controls hold; the Win32 dialog only reads and shows them.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "lists/load_condition.h"

namespace lists {

// The controls of the condition dialog.
constexpr int kFolderEdit = 1030;
constexpr int kNamePatternEdit = 1033;
constexpr int kMinimumEdit = 1036;
constexpr int kMaximumEdit = 1037;

// What the controls hold when OK is pressed: folder and pattern in the ANSI code page.
struct ConditionFields {
    std::string folder;
    bool subfolders = false;
    std::string namePattern;
    bool minimumOn = false;
    std::wstring minimumText;
    bool maximumOn = false;
    std::wstring maximumText;
};

// The outcome of OK: either the dialog closes, or `message` is shown once (exclamation
// icon) and the dialog stays open with the focus on `focusControl`.
struct ConditionCheck {
    bool ok = false;
    std::wstring message;
    unsigned flags = 0;  // message box flags
    int focusControl = 0;
};

// Both size edits must hold numbers fw::ParseUnsignedText accepts, whether their boxes are
// checked or not ("正の整数を入力してください。", the first bad edit gets the focus).
// On success the fields go into `condition` (its title stays), the folder and the name
// pattern without leading and trailing white space; on failure `condition` is unchanged.
ConditionCheck ReadConditionFields(const ConditionFields& fields, LoadCondition& condition);

}  // namespace lists

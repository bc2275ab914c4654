// The one seam for message boxes. Tests install a scripted implementation that
// records the exact texts and returns prepared answers.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace fw {

// Message box flags and answers, with the Win32 values.
enum : unsigned {
    kMbOk = 0x0,
    kMbOkCancel = 0x1,
    kMbYesNoCancel = 0x3,
    kMbYesNo = 0x4,
    kMbIconHand = 0x10,
    kMbIconQuestion = 0x20,
    kMbIconExclamation = 0x30,
    kMbIconInformation = 0x40,
    kMbDefButton2 = 0x100,
    kMbSystemModal = 0x1000,
    kMbTaskModal = 0x2000,
};
enum : int { kIdOk = 1, kIdCancel = 2, kIdYes = 6, kIdNo = 7 };

// An open or save file dialog. The filter is written as the resources write it:
// "name|pattern|name|pattern||".
struct FileChoice {
    bool save = false;
    std::wstring filter;
    std::wstring defaultExtension;  // appended to a typed name without one
    unsigned flags = 0;             // OFN_ flags as Win32 defines them
    std::string initialPath;        // ANSI, may be empty
};

class Prompts {
public:
    virtual ~Prompts() = default;
    // A file dialog owned by `owner`; false when cancelled (or unavailable). The
    // chosen path comes back in the ANSI code page.
    virtual bool ChooseFile(intptr_t owner, const FileChoice& choice, std::string& path);
    // An open dialog with multiple selection: every chosen path, in the dialog's order.
    // Names the ANSI code page cannot hold are left out.
    virtual bool ChooseFiles(intptr_t owner, const FileChoice& choice, std::vector<std::string>& paths);
    // `owner` is a window handle (or 0); an empty caption is a box without a caption
    // of its own, which the system titles with its default.
    virtual int Message(intptr_t owner, const std::wstring& text, const std::wstring& caption,
                        unsigned flags) = 0;
};

// The running program's name (its file name without the extension), the caption of
// the program's own message boxes; empty where there is no program file.
std::wstring ProgramTitle();

// The process's prompt seam: real message boxes on Windows unless a test
// replaced it. SetPrompts returns the previous one; null restores the default.
Prompts& CurrentPrompts();
Prompts* SetPrompts(Prompts* prompts);

// Short form for the program's own message boxes, captioned with its name.
inline int Ask(const std::wstring& text, unsigned flags, intptr_t owner = 0)
{
    return CurrentPrompts().Message(owner, text, ProgramTitle(), flags);
}

}  // namespace fw

// The catalog: the membership of all 36 lists in one text file. A "*n" line starts
// list n; every other line is one path of that list. The frame's New, Open, Save and
// Save As commands are the four operations of Catalog.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "framework/core/codepage.h"
#include "framework/core/filesystem.h"
#include "framework/core/wait.h"
#include "lists/list_set.h"

namespace app {

// File dialog settings shared by Open and Save As.
inline constexpr wchar_t kCatalogFilter[] = L"テキスト(*.TXT)|*.TXT|すべて(*.*)|*.*||";
inline constexpr wchar_t kCatalogDefaultExtension[] = L"TXT";
inline constexpr unsigned kCatalogDialogFlags = 6;  // OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT

// Command ids of the file menu.
enum CatalogCommand : unsigned {
    kCommandNew = 57600,
    kCommandOpen = 57601,
    kCommandSave = 57603,
    kCommandSaveAs = 57604,
};

// What the catalog needs from the main frame; the wait shows around reading and writing.
class CatalogHost : public fw::WaitIndicator {
public:
    virtual ~CatalogHost() = default;
    // The open (`save` false) or save-as file dialog with the settings above; `path`
    // holds the initial file name and receives the choice. False when cancelled.
    virtual bool ChooseCatalogFile(bool save, std::string& path) = 0;
    // SetCacheSize with CACHE/CACHESIZE and CACHE/CACHEOUT again (empties the cache).
    virtual void ApplyCacheSettings() = 0;
    // Owner window of the message boxes.
    virtual intptr_t Owner() const { return 0; }
};

// The lines a catalog reader sees in `bytes`, as the C runtime's text mode and fgets
// with a 4095-byte buffer give them: a 0x1A byte ends the file, CR LF becomes LF, a
// line of more than 4094 bytes comes in pieces of its own, a NUL ends a piece, and
// each piece is cut at its first CR or LF (scanning by characters).
void ForEachCatalogLine(std::string_view bytes, const fw::CodePage& codePage,
                        const std::function<void(std::string_view line)>& onLine);

// The list number a header line names: the C runtime's decimal conversion of the text
// after '*' (leading white space, a sign, digits; none give 0); numbers outside 0-35
// give 0.
int CatalogHeaderList(std::string_view line);

// The counts of a read, shown at its end.
struct CatalogCounts {
    int loaded = 0;  // entries inserted (or already present) in their list
    int total = 0;   // entry lines
    int Excluded() const { return total - loaded; }
};

class Catalog {
public:
    Catalog(lists::ListSet& lists, fw::FileSystem& fs, CatalogHost& host)
        : lists_(lists), fs_(fs), host_(host)
    {
    }

    // The current catalog file; empty at start and after New.
    const std::string& Path() const { return path_; }

    // New: after a question when any list holds entries, empties all lists, applies
    // the cache settings again and forgets the catalog path.
    void New();
    // Open: the file dialog, then Load.
    void Open();
    // Save: Save As when there is no catalog path, else Write to it.
    void Save();
    // Save As: the file dialog; the choice becomes the catalog path and is written.
    void SaveAs();

    // Reads a catalog file into the lists (adding to what they hold) and reports the
    // counts. False, with a message, when the file cannot be opened.
    bool Load(const std::string& path, CatalogCounts* counts = nullptr);
    // Writes all 36 lists to `path`. The lists go to a new file beside it, which
    // replaces `path` only when every write succeeded; after a failure the old file
    // is untouched. False, with a message, on failure.
    bool Write(const std::string& path);

    // The message shown after reading.
    static std::wstring LoadedMessage(const CatalogCounts& counts);

private:
    // The end of one list's part: drop missing files, take the paths out of every
    // other list, show the first entry.
    void FinishList(int listNumber, std::vector<std::string>& pending);
    int Ask(const wchar_t* text, unsigned flags);

    lists::ListSet& lists_;
    fw::FileSystem& fs_;
    CatalogHost& host_;
    std::string path_;
};

}  // namespace app

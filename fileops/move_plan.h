// The move plan: what a move or copy of one list into a folder will do, row by row,
// built and checked before any file is touched. The preview dialog shows the rows
// in their order and edits them through this class.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "framework/core/filesystem.h"
#include "fileops/rename_template.h"
#include "lists/filter_match.h"
#include "lists/path_order.h"

namespace fileops {

// The source of a row that only shows a file already in the folder.
inline constexpr char kNoSource[] = "<NONE>";

// The characters a new name may not hold, in the order the name warning lists them.
inline constexpr char kForbiddenNameChars[] = "*?;:<>|\\/,\"";

struct PlanRow {
    std::string source;        // the list entry, or kNoSource
    std::string newName;       // name in the folder; empty: excluded (or existing-only)
    std::string existingName;  // the folder's file that had this row's name when built
    bool invalid = false;      // set by Validate
    bool completed = false;    // set by the run

    // A row for a file already in the folder that no list entry is going to.
    bool ExistingOnly() const { return source.find_first_of("<>") != std::string::npos; }
};

// A name as the file system compares it: trailing dots and spaces are dropped
// (Windows drops them when it creates the file). Compare keys with the PathOrder.
std::string_view NameKey(std::string_view name, const fw::CodePage& codePage);

// The last-write time of a file for the template; zero fields when it cannot be found.
LocalTime SourceTime(fw::FileSystem& fs, const std::string& path);

// What happened to an edited name.
enum class NameEdit { Accepted, Forbidden, Empty, NotEditable };

class MovePlan {
public:
    // Builds the plan for `sources` (the list, in its order) going to `folder`, which
    // ends with "\". The folder's files take part unless their name starts with "."
    // or `filter` rejects it (those still meet the run's overwrite check). With a
    // non-empty `renamePattern` each name is ExpandTemplate(name, pattern, file time,
    // position in the list). Rows come sorted by name, each list entry after the
    // folder's files that sort before it; a folder file with the same name as an
    // entry is that entry's existing name (only the first entry's of several).
    // O(n log n) in the number of entries and folder files.
    static MovePlan Build(const std::vector<std::string>& sources, const std::string& folder,
                          const lists::FilterPattern& filter, std::string_view renamePattern,
                          fw::FileSystem& fs, const lists::PathOrder& order = lists::PathOrder::System());

    const std::string& Folder() const { return folder_; }
    const lists::PathOrder& Order() const { return *order_; }
    std::vector<PlanRow>& Rows() { return rows_; }
    const std::vector<PlanRow>& Rows() const { return rows_; }

    // Marks exactly the rows that must not run and returns true when there are none.
    // A row with a new name is invalid when
    //  - the name holds a forbidden character or a control character, names nothing
    //    once trailing dots and spaces go (".", ".."), or is a device name (CON, NUL,
    //    COM1 ... with or without an extension);
    //  - the folder and the name together pass kMaxPathBytes;
    //  - the destination is the source of another row (it would overwrite a file the
    //    plan still has to move or copy; the row's own source is no conflict);
    //  - another row has the same new name.
    // O(n log n).
    bool Validate();
    std::vector<size_t> InvalidRows() const;

    // Label editing in the preview.
    bool CanEditName(size_t row) const { return row < rows_.size() && !rows_[row].ExistingOnly(); }
    NameEdit EditName(size_t row, std::string_view text);
    // Empties the new names of `rows` (they stay in the plan and are skipped).
    void Exclude(const std::vector<size_t>& rows);
    // The batch change: each of `rows` in plan order, existing-only rows skipped, gets
    // ExpandTemplate(its current new name, pattern, its file time, sequence), and the
    // sequence advances by one per changed row.
    void BatchRename(std::vector<size_t> rows, std::string_view pattern, int32_t& sequence,
                     fw::FileSystem& fs);

private:
    MovePlan(std::string folder, const lists::PathOrder& order) : folder_(std::move(folder)), order_(&order)
    {
    }

    std::string folder_;
    const lists::PathOrder* order_;
    std::vector<PlanRow> rows_;
};

// The preview's Check: validates and, when the plan is invalid, warns. True when valid.
bool CheckPlan(MovePlan& plan, intptr_t owner = 0);

// The end of a label edit: a forbidden character is refused with a warning, an empty
// text without one. True when the row took the name.
bool EndNameEdit(MovePlan& plan, size_t row, std::string_view text, intptr_t owner = 0);

}  // namespace fileops

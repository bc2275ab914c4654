// Whether an installed file is replaced, and how a file in use is replaced: the
// version rule, the copy decision and the in-use replacement as a plan of steps that
// the install run carries out through its machine seam.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "installer/setup_script.h"

namespace installer {

// A file version resource's fixed version: most and least significant 32 bits.
struct FileVersion {
    uint32_t ms = 0;
    uint32_t ls = 0;
    friend auto operator<=>(const FileVersion&, const FileVersion&) = default;
};

// ReplaceUnlessNewer: the source replaces the target only when its version is at least
// the target's (compared as unsigned numbers, most significant part first), or when
// either file has no version.
bool SourceNotOlder(const std::optional<FileVersion>& source, const std::optional<FileVersion>& target);

// Whether the copy action copies at all. ReplaceUnlessNewer: the version rule when the
// target exists; Keep: only when the target does not exist; any other value: always.
bool ShouldCopy(ExistingFileRule rule, bool targetExists, const std::optional<FileVersion>& source,
                const std::optional<FileVersion>& target);

enum class ReplaceOp {
    MoveAside,        // move `path` to `other`, replacing; a later failed Copy moves it back
    DeleteAtRestart,  // schedule `path` for deletion at the next restart; outcome does not matter
    DeleteAgain,      // delete `path` once more; when that works, copy `other` over `path` and finish with
                      // its outcome
    Copy,             // copy `path` to `other`; a failure ends the replacement with failure (after moving
                      // a file moved aside back to its place)
    RecordRename,     // WININIT.INI [rename] record that puts `other` (the new file beside) in place of
                      // `path` (the target) at restart, by short paths; sets restart needed
    KeepOld,          // leave the old file at `path`; success
};

struct ReplaceStep {
    ReplaceOp op;
    std::string path;
    std::string other;  // the operation's second path; empty when it has none
    bool operator==(const ReplaceStep&) const = default;
};

// The in-use replacement of `target` (which exists and could not be deleted) by
// `source`, by a `rule` other than Fail. The steps run in order; the
// replacement succeeds when the last one that runs succeeds.
//   NT family: move the target aside to target.DeleteOnReboot, copy the source to
//   the target, then schedule the moved file for deletion. When the copy fails, the
//   old file goes back to its place and nothing is scheduled: it is never lost.
//   Otherwise: delete once more (then copy as usual); ReplaceOnNtOnly keeps the old
//   file; Replace (and any other value) copies the source to target.replace and
//   records the rename for restart.
std::vector<ReplaceStep> PlanInUseReplacement(bool ntFamily, InUseRule rule, const std::string& source,
                                              const std::string& target);

// The WININIT.INI text with the line "key=value" inserted after the first line that
// contains "[rename]" or "[RENAME]"; every line, empty ones included, is kept and ends
// in CR LF. Nothing when no such line exists (the caller then writes the entry with
// the profile write into section "rename").
std::optional<std::string> InsertRenameRecord(const std::string& wininit, const std::string& key,
                                              const std::string& value);

}  // namespace installer

// Whether an installed file is replaced, and how a file in use is replaced: the
// version rule, the copy decision and the in-use replacement as a plan of steps that
// the install run carries out through its machine seam.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace installer {

// A file version resource's fixed version: most and least significant 32 bits.
struct FileVersion {
    uint32_t ms = 0;
    uint32_t ls = 0;
    friend auto operator<=>(const FileVersion&, const FileVersion&) = default;
};

// VERSIONCHECK 1: the source replaces the target only when its version is at least
// the target's (compared as unsigned numbers, most significant part first), or when
// either file has no version.
bool SourceNotOlder(const std::optional<FileVersion>& source, const std::optional<FileVersion>& target);

// Whether the copy action copies at all. VERSIONCHECK 1: the version rule when the
// target exists; 2: only when the target does not exist; any other value: always.
bool ShouldCopy(int versionCheck, bool targetExists, const std::optional<FileVersion>& source,
                const std::optional<FileVersion>& target);

enum class ReplaceOp {
    MoveAside,        // move `a` to `b`, replacing; a later failed Copy moves it back
    DeleteAtRestart,  // schedule `a` for deletion at the next restart; outcome does not matter
    DeleteAgain,      // delete `a` once more; when that works, copy `b` over `a` and finish with its outcome
    Copy,             // copy `a` to `b`; a failure ends the replacement with failure (after moving
                      // a file moved aside back to its place)
    RecordRename,  // WININIT.INI [rename] record for the targets `a` (new file) and `b` (old file), by short
                   // paths; sets restart needed
    KeepOld,       // leave the old file; success
};

struct ReplaceStep {
    ReplaceOp op;
    std::string a;
    std::string b;
    bool operator==(const ReplaceStep&) const = default;
};

// The in-use replacement of `target` (which exists and could not be deleted) by
// `source`, with DELETEONREBOOT `mode` (1 or 2). The steps run in order; the
// replacement succeeds when the last one that runs succeeds.
//   NT family: move the target aside to target.DeleteOnReboot, copy the source to
//   the target, then schedule the moved file for deletion. When the copy fails, the
//   old file goes back to its place and nothing is scheduled: it is never lost.
//   Otherwise: delete once more (then copy as usual); mode 2 keeps the old file;
//   mode 1 copies the source to target.replace and records the rename for restart.
std::vector<ReplaceStep> PlanInUseReplacement(bool ntFamily, int mode, const std::string& source,
                                              const std::string& target);

// The WININIT.INI text with the line "key=value" inserted after the first line that
// contains "[rename]" or "[RENAME]"; every line, empty ones included, is kept and ends
// in CR LF. Nothing when no such line exists (the caller then writes the entry with
// the profile write into section "rename").
std::optional<std::string> InsertRenameRecord(const std::string& wininit, const std::string& key,
                                              const std::string& value);

}  // namespace installer

// The sorter's side of the recovery journal: where it lives, and the question at
// start-up that offers back the lists of a run that did not end normally.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "framework/core/filesystem.h"
#include "lists/list_set.h"

namespace app {

// The journal of the program at `programPath`, beside its profile: named after the
// program's folder, so that two copies of the program whose profiles share a folder
// keep journals of their own. `lockName` receives the name of the mutex that one
// running copy holds while it writes the journal.
std::string JournalPath(std::string_view profilePath, std::string_view programPath,
                        std::string* lockName = nullptr);

// Status bar notes while the lists are not journaled.
inline constexpr wchar_t kJournalInUse[] = L"　［作業の記録なし：同じ場所の Lumsor20 が記録中］";
inline constexpr wchar_t kJournalFailed[] = L"　［作業の記録を書き込めません］";

enum class Recovery { None, Restored, Discarded };

// When a journal at `path` holds lists, asks whether to restore them: yes puts every
// list back as it was at the last complete change; no discards them after a second
// question (answered no, they are restored after all). A damaged journal restores up
// to the damage and says how many changes could not be read.
Recovery OfferRecovery(fw::FileSystem& fs, lists::ListSet& lists, const std::string& path, intptr_t owner);

}  // namespace app

// The shell's file-transfer formats as bytes: what a list offers to drags and the
// clipboard ("FileName", CF_HDROP, CF_TEXT, "Preferred DropEffect") and how a list
// reads the CF_HDROP data that other programs offer it. The Win32 shell copies these
// blocks into global memory and back; nothing here touches a window or the clipboard.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "framework/core/filesystem.h"
#include "lists/list_model.h"

namespace lists {

// Drop effects with their OLE values.
constexpr uint32_t kDropEffectNone = 0;
constexpr uint32_t kDropEffectCopy = 1;
constexpr uint32_t kDropEffectMove = 2;
constexpr uint32_t kDropEffectLink = 4;
// The "Preferred DropEffect" of the copy commands and of the cut commands.
constexpr uint32_t kCopyCommandEffect = kDropEffectCopy | kDropEffectLink;
constexpr uint32_t kCutCommandEffect = kDropEffectMove;

// The DROPFILES header in front of a CF_HDROP file list.
constexpr size_t kDropFilesHeaderBytes = 20;
// The longest path a list takes: a 260-byte buffer with its terminator.
constexpr size_t kMaxPathBytes = 259;

// The conversions at the shell boundary, in the system ANSI code page. Widening takes
// the bytes as they are, NULs included, and returns UTF-16 code units. Narrowing
// returns false when a character has no exact equivalent in the code page.
using AnsiToUtf16 = std::function<std::u16string(std::string_view ansi)>;
using Utf16ToAnsi = std::function<bool(std::u16string_view wide, std::string& ansi)>;

// The system's conversions (fw::WidenAnsi and fw::NarrowAnsi).
std::u16string SystemAnsiToUtf16(std::string_view ansi);
bool SystemUtf16ToAnsi(std::u16string_view wide, std::string& ansi);

// Each path followed by a NUL, and one more NUL at the end.
std::string FileList(const std::vector<std::string>& paths);

// A CF_HDROP block: the DROPFILES header (pFiles 20, pt 0,0, fNC 0, fWide) followed by
// FileList(paths), converted to UTF-16 when `wide`. The block is 20 + 2 x B bytes,
// B being the larger of FileList(paths).size() and `reservedListBytes` (the list's
// whole file list when only some entries are sent); the space after the list is zero.
// Should a conversion ever come out longer, the block grows to hold it.
std::string HDropBlock(const std::vector<std::string>& paths, bool wide, const AnsiToUtf16& widen,
                       size_t reservedListBytes = 0);

// CF_TEXT: each path followed by CR LF, then one NUL.
std::string TextBlock(const std::vector<std::string>& paths);
// "FileName": the path, a NUL and a second NUL.
std::string FileNameBlock(const std::string& path);
// "Preferred DropEffect": one little-endian 32-bit value.
std::string DropEffectBlock(uint32_t effect);
// Reads a "Preferred DropEffect" block; false when it holds fewer than 4 bytes.
bool ReadDropEffect(const void* data, size_t size, uint32_t& effect);

// The names of a CF_HDROP block as DragQueryFileA would give them, made safe against
// blocks other programs built badly. Nothing (no names) when the block is shorter than
// its header or pFiles points into the header or past the block. The list ends at an
// empty name or at the end of the block; a last name the block cuts off before its
// terminator is not taken, since it may be cut short. Names longer than 259 bytes are
// skipped. In a wide list (fWide non-zero) a trailing odd byte is ignored and a name
// that does not convert to the ANSI code page without loss is skipped rather than
// guessed at. Reads every byte at most once.
std::vector<std::string> ParseHDrop(const void* data, size_t size, const Utf16ToAnsi& narrow);

// Which entries a transfer carries.
enum class TransferMode {
    CurrentEntry,  // the entry at the current position
    AllEntries,    // every entry, or those a condition matches
};

// The blocks of one transfer. The command that puts them on the clipboard adds
// `preferredDropEffect`; drags carry none.
struct TransferData {
    std::vector<std::string> paths;  // in list order
    std::string fileName;            // "FileName"; one entry mode only, else empty
    std::string hdrop;               // CF_HDROP
    std::string text;                // CF_TEXT
    std::string preferredDropEffect;
};

// The paths a transfer carries: the current entry (none without a valid position), or
// every entry for which ConditionMatch holds (every entry without a condition).
std::vector<std::string> TransferPaths(const ListModel& list, TransferMode mode,
                                       const LoadCondition* condition, fw::FileSystem& fs);

// `BuildTransferData`: false, with `data` untouched, when there is nothing to transfer.
// `wideNames` is the process's `shell`/`USEWIDECHAR` value.
bool BuildTransferData(const ListModel& list, TransferMode mode, const LoadCondition* condition,
                       fw::FileSystem& fs, bool wideNames, TransferData& data,
                       const AnsiToUtf16& widen = SystemAnsiToUtf16);

}  // namespace lists

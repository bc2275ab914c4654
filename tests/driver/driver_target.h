// What the driver's test and its target program agree on.
#pragma once

#include <windows.h>

namespace driver_target {

constexpr const wchar_t* kClassName = L"DriverTargetFrame";
// The caption is this followed by the program's arguments, separated by spaces.
constexpr const wchar_t* kTitle = L"Driver target";
constexpr int kEditId = 100;
constexpr int kStatusId = 101;
// Asks kQuestion under kQuestionCaption (Yes/No); status pane 0 then says "yes" or "no".
constexpr UINT kAskCommand = 200;
constexpr UINT kQuitCommand = 201;
constexpr DWORD kQuitExitCode = 3;
constexpr const wchar_t* kQuestion = L"保存しますか?";
constexpr const wchar_t* kQuestionCaption = L"確認";
// Status pane 0 starts with the current folder; pane 1 shows each key that goes down
// as two hex digits of its virtual-key code, then " shift" and " ctrl" when held.
// The target answers sent messages only for kSlowKeyMs after this key goes down, as a
// program waiting on another thread does, before it shows the key.
constexpr WORD kSlowKey = VK_F9;
constexpr DWORD kSlowKeyMs = 300;
constexpr COLORREF kBackground = RGB(0x20, 0x80, 0xC0);

}  // namespace driver_target

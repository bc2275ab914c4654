// The platform's HTML Help, bound at run time: the library registered as the HTML
// Help control's server (or hhctrl.ocx), export 14. Without it, help does nothing.
#pragma once

#include <windows.h>

#include <string>

namespace app {

// HH_DISPLAY_TOPIC on the help file.
void ShowHelp(HWND owner, const std::string& helpFile);
// HH_CLOSE_ALL.
void CloseAllHelp();

}  // namespace app

// An HDROP as the shell builds it for WM_DROPFILES: DROPFILES followed by the ANSI
// names, each null-ended, and a final null. The receiver frees it with DragFinish.
#pragma once

#include <windows.h>

#include <shellapi.h>

#include <string>
#include <vector>

namespace testing_support {

HDROP MakeDrop(const std::vector<std::string>& names);

}  // namespace testing_support

// Lumsor20: sorts image files by hand into 36 lists.
#include <windows.h>

#include "app/app.h"
#include "framework/win/system_library.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int)
{
    fw::RestrictDllSearch();
    CClsApp app;
    return app.Run(commandLine);
}

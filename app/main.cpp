// Lumsor20: sorts image files by hand into 36 lists.
#include <windows.h>

#include "app/app.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int)
{
    CClsApp app;
    return app.Run(commandLine);
}

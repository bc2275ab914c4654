// Delete to the recycle bin through the shell.
#include <windows.h>

#include <shellapi.h>

#include "fileops/move_run.h"

namespace fileops {

namespace {

class ShellRecycler final : public Recycler {
public:
    void Recycle(const std::string& paths, intptr_t owner) override
    {
        SHFILEOPSTRUCTA operation{};
        operation.hwnd = reinterpret_cast<HWND>(owner);
        operation.wFunc = FO_DELETE;
        operation.pFrom = paths.c_str();  // NUL-separated, ended by two NULs
        operation.fFlags = FOF_ALLOWUNDO;
        SHFileOperationA(&operation);  // the shell reports its own failures
    }
};

}  // namespace

Recycler* SystemRecycler()
{
    static ShellRecycler recycler;
    return &recycler;
}

}  // namespace fileops

// Loading files and folders dropped on a list window or pasted into it.
#pragma once

#include <string>
#include <vector>

#include "framework/core/filesystem.h"
#include "lists/folder_loader.h"
#include "lists/list_model.h"

namespace lists {

// `LoadDroppedFiles`: the dropped paths in drop order (the shell takes them from the
// drop handle). A pending Escape press is cleared first; Escape then stops the load
// before the next item. Paths longer than 259 bytes and paths whose attributes cannot
// be read are skipped. A folder (a directory without the system attribute) is loaded
// by LoadFolder without a condition when the folder question is answered Yes; all
// folders of the drop share one folder answer and one sub-folder answer, and the list's
// last folder and `sharedLastFolder` become each loaded folder. The folder question
// "ディレクトリが含まれています。\r\n読み込みますか？" is not asked when one item was
// dropped; with `confirmFolders` false (CONFIRM/DROPFOLDER 0) neither question is
// asked and both answers are Yes. Anything else goes in when the list filter accepts
// it. Finally CompleteLoad shows the smallest index any file insert or folder load gave
// (0 when none), which is returned. Runs of files go in as one batch each.
int LoadDroppedFiles(ListModel& list, const std::vector<std::string>& dropped, bool confirmFolders,
                     std::string& sharedLastFolder, fw::FileSystem& fs, LoadEnvironment& env);

}  // namespace lists

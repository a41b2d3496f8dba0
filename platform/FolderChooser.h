// The modal folder chooser: shows the present folder's sub-folders, goes up and into
// folders, takes a typed path, and lets only an existing folder that files can be
// written in be chosen (anything else gets a message in the dialog and a beep).
//
// Keys: Return chooses the folder in the path field, Escape cancels; Up and Down move
// through the list; Ctrl+Up goes to the parent folder, Ctrl+Down opens the folder in
// the path field. A double click on a listed folder opens it.
#pragma once

#include <string>

#include "platform/MacTypes.h"

// Runs the chooser starting at folder (or its nearest existing parent). On Choose,
// folder becomes the chosen folder's absolute path and the result is true; on Cancel
// folder is left as it was and the result is false.
bool RunFolderChooser(std::string& folder);

// The chooser's items.
enum FolderChooserItem : int16_t {
    kFolderChooserChoose = 1,
    kFolderChooserCancel,
    kFolderChooserPath,
    kFolderChooserPathLabel,
    kFolderChooserUp,
    kFolderChooserOpen,
    kFolderChooserList,
    kFolderChooserMessage,
};

// Where an item of the chooser is on the screen (global), for hosts and tests.
Rect FolderChooserItemBounds(int16_t item);
// Where a row of the list is on the screen, counting from the first row shown.
Rect FolderChooserRowBounds(int row);

// Telling the folder chooser, in this process or another, without GoogleTest: the end-to-end driver
// and the in-process dialog answering both use it.
#pragma once

#include <windows.h>

namespace testing_support {

// True where the Wine wrapper (tests/wine-run.sh) warns that the folder chooser may ignore a selection
// or stop short of it: only there are selections repeated. On Windows the first one must hold.
bool chooser_needs_repeats();

// The folder chooser's tree anywhere below `dialog`, also in another process; null for a dialog
// without one, such as a message box. With the new dialog style Windows puts the tree inside a child
// of class "SHBrowseForFolder ShellNameSpace Control"; Wine puts it straight in the dialog.
HWND chooser_tree(HWND dialog);

} // namespace testing_support

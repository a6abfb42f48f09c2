// The shell's folder browser over ANSI (Shift-JIS) paths.
#ifndef UTIL_FOLDER_BROWSER_H
#define UTIL_FOLDER_BROWSER_H

#include <windows.h>

// Shows the modal classic folder browser (file-system folders only, tree from
// the desktop) owned by owner, with title above the tree. path (260 bytes)
// first receives "No path selection."; when the user picks a folder it
// receives that folder's path and the result is 1. displayName (260 bytes, or
// NULL) receives the chosen folder's display name. 0 when the user cancels;
// path then still holds "No path selection.".
int BrowseForFolder(HWND owner, const char *title, char *displayName, char *path);

#endif

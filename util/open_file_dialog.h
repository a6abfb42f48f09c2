// The platform's Explorer-style open-file dialog for choosing one or several
// existing files, and a walk over the chosen files' full paths.
#ifndef UTIL_OPEN_FILE_DIALOG_H
#define UTIL_OPEN_FILE_DIALOG_H

#include <windows.h>
#include <commdlg.h>

// Size of FileSelection::Buffer in bytes (8 bytes short of 512 KiB).
#define FILE_SELECTION_BUFFER_SIZE 524280

// What the dialog wrote: one full path, or the folder followed by each name,
// the list ending in an empty string. Cursor is the byte index of the next
// name to give out. Made by OpenFileDialog, freed by FreeFileSelection.
struct FileSelection {
    char *Buffer;  // FILE_SELECTION_BUFFER_SIZE bytes from the process heap
    int Cursor;
};

// Shows the dialog. *selection is set to NULL first and receives a new
// selection only when the user chose files; the result is then the dialog's
// own nonzero value. Cancel or close: 1 and NULL. Failure: an error box owned
// by owner, then 0 and NULL. title, filter, initialDir and defaultExt may be
// NULL; multiSelect nonzero lets several files be chosen. When the selection
// itself cannot be allocated, the same error box shows the common dialogs'
// CDERR_MEMALLOCFAILURE code (0x0009) and the result is 0: a 0 result always
// means the user has seen the box. A NULL selection pointer gives 0 at once,
// with no dialog and no box.
int OpenFileDialog(HWND owner, FileSelection **selection, const char *title, const char *filter,
                   const char *initialDir, const char *defaultExt, int multiSelect);

// Writes the full path of the next chosen file into path (pathSize bytes) and
// returns 1 while more follow, 0 for the last one (whose path is valid too).
// A path that does not fit in pathSize bytes is refused: 0, path holds the
// empty string (when pathSize > 0) and the selection does not move on.
// A NULL selection or path gives 0 with path untouched.
int NextSelectedFile(FileSelection *selection, char *path, int pathSize);

// Releases the buffer and the record; NULL is ignored.
void FreeFileSelection(FileSelection *selection);

// For tests that must make the dialog fail with a given code: replaces the
// two common-dialog calls OpenFileDialog makes. NULL restores the real one.
typedef BOOL(WINAPI *GetOpenFileNameFunction)(LPOPENFILENAMEA);
typedef DWORD(WINAPI *CommDlgExtendedErrorFunction)(void);
void SetOpenFileDialogCalls(GetOpenFileNameFunction getOpenFileName,
                            CommDlgExtendedErrorFunction commDlgExtendedError);

#endif

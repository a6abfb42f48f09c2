// The patch dialog: template 101, its procedure and its window handle.
#ifndef APP_PATCH_DIALOG_H
#define APP_PATCH_DIALOG_H

#include <windows.h>

// The dialog's window, set first thing at WM_INITDIALOG. Written only on the
// dialog thread; the copier's worker reads it when it reports progress.
extern HWND volatile PatchDialogWindow;

INT_PTR CALLBACK PatchDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

#endif

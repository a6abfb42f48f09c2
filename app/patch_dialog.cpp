// The patch dialog's procedure: routes WM_INITDIALOG, WM_COMMAND and WM_CLOSE.
// Both ways out (exit button, close box) end the dialog with 1. The commands
// that do the patching belong to the patch sequence.
#include "app/patch_dialog.h"

#include <commctrl.h>

#include "app/patch_sequence.h"
#include "res/resource.h"

HWND volatile PatchDialogWindow = NULL;

static void InitPatchDialog(HWND window)
{
    PatchDialogWindow = window;
    PatchSequenceSetUp();
    SendDlgItemMessageA(window, IDC_PROGRESS, PBM_SETRANGE, 0, MAKELPARAM(0, 100));
}

INT_PTR CALLBACK PatchDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    (void)lParam;
    switch (message) {
    case WM_CLOSE:
        return EndDialog(window, 1);
    case WM_INITDIALOG:
        InitPatchDialog(window);
        return TRUE;
    case WM_COMMAND: {
        // The low word alone is the command; the notification code is ignored.
        int id = LOWORD(wParam);
        if (id == IDCANCEL)
            return EndDialog(window, 1);
        return OnCommand(window, id);
    }
    case WM_DESTROY:
        // From here on the copier's worker must not report to this window:
        // a report during shutdown then does nothing instead of waiting for
        // a thread that has stopped serving the dialog.
        PatchDialogWindow = NULL;
        return FALSE;
    default:
        return FALSE;
    }
}

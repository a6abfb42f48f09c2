// The patch sequence: what the fix button sets off, and the progress
// callback that turns a finished payload into the PayloadFinished command.
#ifndef APP_PATCH_SEQUENCE_H
#define APP_PATCH_SEQUENCE_H

#include <windows.h>

// Posted to the dialog as WM_COMMAND when a payload is in place.
#define PAYLOAD_FINISHED 1000

// Set-up at WM_INITDIALOG, after the dialog handle is stored.
void PatchSequenceSetUp(void);

// Commands routed from the dialog procedure (every id but IDCANCEL);
// acts on 1 (fix button) and PAYLOAD_FINISHED, ignores the rest. Returns TRUE.
INT_PTR OnCommand(HWND window, int id);

#endif

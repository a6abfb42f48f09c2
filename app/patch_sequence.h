// The patch sequence: what the fix button sets off, and the copier callbacks
// that turn a finished or failed payload into a command for the dialog.
#ifndef APP_PATCH_SEQUENCE_H
#define APP_PATCH_SEQUENCE_H

#include <windows.h>

// Posted to the dialog as WM_COMMAND when a payload is in place.
#define PAYLOAD_FINISHED 1000
// Posted to the dialog as WM_COMMAND when a copy ended without its payload
// in place (the copier's failure callback).
#define PAYLOAD_FAILED 1010

// The installation folder of the target application: the default folder at
// first, then whatever the folder browser left in it. Dialog thread only.
extern char InstallDir[MAX_PATH];
// The payload row being written: 0, 1, and 2 when all are in place. Written
// on the dialog thread only, read by OnProgress on the worker.
extern LONG volatile PayloadIndex;

// Set-up at WM_INITDIALOG, after the dialog handle is stored: registers the
// two callbacks with the process-wide copier.
void PatchSequenceSetUp(void);

// Commands routed from the dialog procedure (every id but IDCANCEL); acts on
// IDOK (fix button), PAYLOAD_FINISHED and PAYLOAD_FAILED. Returns TRUE.
INT_PTR OnCommand(HWND window, int id);

// The copier's callbacks, called on its worker thread.
int OnProgress(unsigned int percent);
int OnCopyFailed(unsigned int error);

#endif

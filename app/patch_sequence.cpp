// The patch sequence. Not yet wired to the copier: the fix button does
// nothing for now.
#include "app/patch_sequence.h"

void PatchSequenceSetUp(void)
{
}

INT_PTR OnCommand(HWND window, int id)
{
    (void)window;
    (void)id;
    return TRUE;
}

// Entry point: restricts where DLLs may come from, then runs the modal patch
// dialog and returns its end code.
#include <windows.h>

#include "app/dll_search.h"
#include "app/patch_dialog.h"
#include "res/resource.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int showCommand)
{
    (void)previous;
    (void)commandLine;
    (void)showCommand;
    // Before anything else can load a DLL by name: the dialog's common
    // controls, the shell's folder browser and whatever they pull in. What
    // ran before this point (the static objects' construction) loads only by
    // full path.
    RestrictDllSearch();
    return (int)DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_PATCH), NULL, PatchDialogProc, 0);
}

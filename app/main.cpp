// Entry point: runs the modal patch dialog and returns its end code.
#include <windows.h>

#include "app/patch_dialog.h"
#include "res/resource.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int showCommand)
{
    (void)previous;
    (void)commandLine;
    (void)showCommand;
    return (int)DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_PATCH), NULL, PatchDialogProc, 0);
}

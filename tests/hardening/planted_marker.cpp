// A stand-in for a DLL an attacker plants beside a program under the name of
// a system DLL. Copied under each such name; when any process maps it, it
// leaves "<its own path>.loaded" beside itself, holding the loading
// process's path, and then loads as an ordinary DLL would. It exports
// nothing, so a program that got it instead of the real DLL finds none of
// the functions it expected.
#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved)
{
    (void)reserved;
    if (reason != DLL_PROCESS_ATTACH)
        return TRUE;
    char marker[MAX_PATH];
    DWORD length = GetModuleFileNameA(instance, marker, sizeof(marker));
    if (length == 0 || length + sizeof(".loaded") > sizeof(marker))
        return TRUE;
    lstrcatA(marker, ".loaded");
    char loader[MAX_PATH];
    DWORD loaderLength = GetModuleFileNameA(NULL, loader, sizeof(loader));
    if (loaderLength == 0 || loaderLength >= sizeof(loader))
        loaderLength = 0;
    HANDLE file = CreateFileA(marker, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file != INVALID_HANDLE_VALUE) {
        DWORD written = 0;
        WriteFile(file, loader, loaderLength, &written, NULL);
        CloseHandle(file);
    }
    return TRUE;
}

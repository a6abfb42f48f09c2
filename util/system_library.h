// Loading of system DLLs by their full path in the system folder, so that a
// DLL of the same name planted beside the executable or in the current folder
// is never picked up instead.
#ifndef UTIL_SYSTEM_LIBRARY_H
#define UTIL_SYSTEM_LIBRARY_H

#include <windows.h>

// Loads name (a bare file name such as "winmm.dll") from the system folder.
// Returns the module handle, or NULL with the error in GetLastError(): a NULL
// or empty name, or one holding a path separator, gives
// ERROR_INVALID_PARAMETER; a full path that would not fit in 260 bytes gives
// ERROR_FILENAME_EXCED_RANGE. The caller releases the handle with FreeLibrary
// (or keeps it for the life of the process). Safe to call during static
// initialisation: it uses only kernel32 and no state of its own.
HMODULE LoadSystemLibrary(const char *name);

#endif

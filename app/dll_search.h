// The restriction of the process's DLL search to the system folder, put in
// force first thing in WinMain. A bare DLL name is otherwise looked for in
// the executable's folder and the current folder too, which for an
// installer is the user's Downloads folder: a DLL planted there under a
// system name would run inside the installer.
#ifndef APP_DLL_SEARCH_H
#define APP_DLL_SEARCH_H

#include <windows.h>

// What RestrictDllSearch put in force.
#define DLL_SEARCH_UNRESTRICTED 0       // neither call succeeded
#define DLL_SEARCH_SYSTEM_FOLDER 1      // SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32)
#define DLL_SEARCH_NO_CURRENT_FOLDER 2  // SetDllDirectoryA(""): the current folder is left out

typedef BOOL(WINAPI *SetDefaultDllDirectoriesFunction)(DWORD directoryFlags);

// Makes every later load by bare name search the system folder only. The
// function is looked up in kernel32 at run time, so the program still starts
// on systems that lack it; there the current folder at least is taken out of
// the search (the executable's folder cannot be, on such a system). Then the
// system DLLs that other system DLLs load by bare name behind the program's
// back (uxtheme, which the common controls load when they first draw) are
// loaded from the system folder by full path: a later load by name takes the
// module already there, even where that load ignores the restriction (a
// system without SetDefaultDllDirectories, or Wine, whose common controls
// resolve their delayed imports by the old search order). They stay loaded
// for the life of the process. Returns one of the DLL_SEARCH_ values.
// Affects the whole process and cannot be undone.
int RestrictDllSearch();

// The same with the lookup already done: setDefault is kernel32's
// SetDefaultDllDirectories or NULL where it is missing. RestrictDllSearch
// calls it; tests call it with NULL to take the fallback.
int RestrictDllSearchWith(SetDefaultDllDirectoriesFunction setDefault);

#endif

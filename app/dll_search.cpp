// DLL search restriction (see dll_search.h).
#include "app/dll_search.h"

#include "util/system_library.h"

// Loaded by system DLLs by bare name after the program has started.
static const char *const PreloadedSystemDlls[] = {"uxtheme.dll"};

int RestrictDllSearch()
{
    // kernel32 is mapped into every process, so no load is needed, and a
    // handle from GetModuleHandle is not released.
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    SetDefaultDllDirectoriesFunction setDefault = NULL;
    if (kernel != NULL)
        setDefault = (SetDefaultDllDirectoriesFunction)(void *)GetProcAddress(
            kernel, "SetDefaultDllDirectories");
    return RestrictDllSearchWith(setDefault);
}

int RestrictDllSearchWith(SetDefaultDllDirectoriesFunction setDefault)
{
    int restriction = DLL_SEARCH_UNRESTRICTED;
    if (setDefault != NULL && setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32))
        restriction = DLL_SEARCH_SYSTEM_FOLDER;
    // Present but refused counts as missing: the weaker guard is still
    // better than none.
    else if (SetDllDirectoryA(""))
        restriction = DLL_SEARCH_NO_CURRENT_FOLDER;
    // A DLL that is missing from the system folder is simply not preloaded;
    // whoever needs it later fails as it would have anyway.
    for (const char *name : PreloadedSystemDlls)
        LoadSystemLibrary(name);
    return restriction;
}

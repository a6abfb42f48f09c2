// Full-path loading of system DLLs (see system_library.h). A bare name given
// to LoadLibrary is searched in the application's folder first, which is
// exactly where a planted DLL would sit; a full path is not searched at all.
#include "util/system_library.h"

#include "util/dbcs_search.h"

HMODULE LoadSystemLibrary(const char *name)
{
    if (name == NULL || name[0] == 0 || FindCharDbcs(name, '\\') != NULL ||
        FindCharDbcs(name, '/') != NULL || FindCharDbcs(name, ':') != NULL) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return NULL;
    }
    char path[260];
    UINT folderLength = GetSystemDirectoryA(path, sizeof(path));
    if (folderLength == 0)
        return NULL;
    if (folderLength >= sizeof(path)) {
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return NULL;
    }
    int nameLength = lstrlenA(name);
    // folder, one backslash, the name and the NUL.
    if ((int)folderLength + 1 + nameLength + 1 > (int)sizeof(path)) {
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return NULL;
    }
    path[folderLength] = '\\';
    lstrcpynA(path + folderLength + 1, name, (int)sizeof(path) - (int)folderLength - 1);
    // With a full path the altered search order makes the DLL's own imports
    // resolve from its folder, the system folder, too.
    return LoadLibraryExA(path, NULL, LOAD_WITH_ALTERED_SEARCH_PATH);
}

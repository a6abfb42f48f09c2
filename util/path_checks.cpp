// FileExists and DirectoryExists: the find-first-file query over one path.
// The directory decision is the FILE_ATTRIBUTE_DIRECTORY bit alone, so a
// folder that also carries hidden, system, read-only or archive bits (folders
// unpacked from archives or copied by other installers often do) is still a
// folder.
#include "util/path_checks.h"

#include <windows.h>

#include "util/dbcs_search.h"

// 1 when something matches path, with its attribute word in *attributes.
static int FindFirstAttributes(const char *path, DWORD *attributes)
{
    WIN32_FIND_DATAA record;
    HANDLE search = FindFirstFileA(path, &record);
    if (search == INVALID_HANDLE_VALUE)
        return 0;
    *attributes = record.dwFileAttributes;
    FindClose(search);
    return 1;
}

int FileExists(const char *path)
{
    DWORD attributes;
    if (!FindFirstAttributes(path, &attributes))
        return 0;
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? 0 : 1;
}

int DirectoryExists(const char *path)
{
    char copy[MAX_PATH];
    int length = lstrlenA(path);
    // Too long for the copy: refused before anything is written.
    if (length <= 0 || length >= (int)sizeof(copy))
        return 0;
    lstrcpyA(copy, path);

    // The find-first query does not accept a trailing separator. Only a real
    // single-byte backslash is one: the final 0x5C of a name ending in ソ, 表
    // or 能 is the second half of that character and stays.
    char *last = copy + length - 1;
    if (FindLastCharDbcs(copy, '\\') == last)
        *last = '\0';

    DWORD attributes;
    if (!FindFirstAttributes(copy, &attributes))
        return 0;
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? 1 : 0;
}

// CreateDirectoryPath: a prefix walk over the path's backslashes with
// CreateDirectoryA. Backslashes are found with the double-byte-aware search,
// so the 0x5C trail byte of a character such as ソ never splits a name.
#include "util/directory_path.h"

#include <windows.h>

#include "util/dbcs_search.h"
#include "util/path_checks.h"

void (*BeforeCreatePrefix)(const char *prefix) = NULL;

// Makes one prefix. A creation that fails because the name exists is still a
// success when the name is now a directory: either another process made it
// between our test and our creation, or it is a name the find-first query
// cannot answer for, such as the drive designator C: that begins every
// absolute path (find-first has no entry for it, CreateDirectoryA reports
// ERROR_ALREADY_EXISTS). GetFileAttributesA answers for both.
static int CreatePrefix(const char *prefix)
{
    if (BeforeCreatePrefix)
        BeforeCreatePrefix(prefix);
    int created = CreateDirectoryA(prefix, NULL);
    if (created)
        return created;
    if (GetLastError() != ERROR_ALREADY_EXISTS)
        return 0;
    DWORD attributes = GetFileAttributesA(prefix);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return 1;
    return 0;
}

int CreateDirectoryPath(const char *path)
{
    char prefix[MAX_PATH];
    // Every prefix must fit the local buffer: longer paths are refused whole
    // rather than half made.
    if (lstrlenA(path) >= (int)sizeof(prefix))
        return 0;

    const char *separator = FindCharDbcs(path, '\\');
    int result = separator ? 1 : 0;
    while (separator && result) {
        // lstrcpynA copies count - 1 bytes and the terminator.
        lstrcpynA(prefix, path, (int)(separator - path) + 1);
        if (!DirectoryExists(prefix))
            result = CreatePrefix(prefix);
        separator = FindCharDbcs(separator + 1, '\\');
    }
    return result;
}

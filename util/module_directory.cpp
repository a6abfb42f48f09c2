// GetModuleDirectory: the program's folder from GetCommandLineA, split with
// the double-byte-aware search so a program named 表.exe (trail byte 0x5C)
// is not cut in the middle of a character.
#include "util/module_directory.h"

#include <windows.h>

#include "util/dbcs_search.h"

void ModuleDirectoryFromCommandLine(const char *commandLine, char *buffer)
{
    const int bufferSize = MAX_PATH;
    buffer[0] = '\0';
    if (!commandLine)
        return;

    const char *start = commandLine;
    char end = ' ';
    if (*start == '"') {
        ++start;
        end = '"';
    }
    // Byte by byte is safe here: trail bytes are 0x40 or above, so neither the
    // quote nor the space can be the second half of a character.
    int length = 0;
    while (start[length] != '\0' && start[length] != end)
        ++length;
    // A path that does not fit is no path at all; a cut one would name some
    // other folder.
    if (length >= bufferSize)
        return;

    for (int i = 0; i < length; ++i)
        buffer[i] = start[i];
    buffer[length] = '\0';

    char *separator = FindLastCharDbcs(buffer, '\\');
    if (separator)
        wsprintfA(separator + 1, "");
}

void GetModuleDirectory(char *buffer)
{
    ModuleDirectoryFromCommandLine(GetCommandLineA(), buffer);
}

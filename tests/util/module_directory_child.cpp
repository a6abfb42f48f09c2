// Started by module_directory_test: writes what GetModuleDirectory gives,
// a newline and its own command line to standard output.
#include <windows.h>

#include "util/module_directory.h"

int main()
{
    char buffer[MAX_PATH];
    GetModuleDirectory(buffer);
    HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    DWORD written;
    const char *commandLine = GetCommandLineA();
    WriteFile(out, buffer, lstrlenA(buffer), &written, NULL);
    WriteFile(out, "\n", 1, &written, NULL);
    WriteFile(out, commandLine, lstrlenA(commandLine), &written, NULL);
    return 0;
}

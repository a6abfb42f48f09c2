// A small program the planting tests copy beside planted DLLs: it loads
// each DLL named on its command line by bare name, the way a program or a
// system DLL asks for one, after an optional restriction of the search.
//   dll_probe.exe [--restrict | --fallback] name.dll ...
//   --restrict  RestrictDllSearch() first, as patch.exe's WinMain does
//   --fallback  RestrictDllSearchWith(NULL): the path taken where
//               SetDefaultDllDirectories is missing
// Exit code: the DLL_SEARCH_ value in force (0 without an option), plus 16
// when a name could not be loaded at all. Markers left by planted DLLs
// are what the tests look at.
#include <windows.h>

#include <string>
#include <vector>

#include "app/dll_search.h"

int main(int argc, char **argv)
{
    int result = 0;
    for (int i = 1; i < argc; ++i) {
        std::string argument = argv[i];
        if (argument == "--restrict")
            result = RestrictDllSearch();
        else if (argument == "--fallback")
            result = RestrictDllSearchWith(NULL);
        else if (LoadLibraryA(argument.c_str()) == NULL)
            result |= 16;
    }
    return result;
}

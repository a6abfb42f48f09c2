// Build-relative paths for the tests (see test_paths.h).
#include "tests/support/test_paths.h"

#include <windows.h>

static std::string ParentOf(const std::string &path)
{
    size_t cut = path.find_last_of('\\');
    return cut == std::string::npos ? std::string() : path.substr(0, cut);
}

std::string TestBuildDir()
{
    char module[MAX_PATH];
    DWORD n = GetModuleFileNameA(NULL, module, sizeof(module));
    if (n == 0 || n >= sizeof(module))
        return std::string();
    return ParentOf(ParentOf(module));
}

std::string TestPatchExePath()
{
    return TestBuildDir() + "\\patch.exe";
}

std::string TestPayloadPath(const char *name)
{
    return TestBuildDir() + "\\payloads\\" + name;
}

std::string TestScreenshotPath(const char *name)
{
    std::string dir = TestBuildDir() + "\\screenshots";
    CreateDirectoryA(dir.c_str(), NULL);
    return dir + "\\" + name + ".png";
}

// LoadSystemLibrary: a system DLL comes from the system folder by full path,
// and names that are not bare file names, or that do not exist, fail cleanly.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "util/system_library.h"

static std::string SystemFolder()
{
    char folder[MAX_PATH];
    UINT n = GetSystemDirectoryA(folder, sizeof(folder));
    if (n == 0 || n >= sizeof(folder))
        return std::string();
    return folder;
}

TEST(SystemLibrary, LoadsFromSystemFolder)
{
    static const char *const names[] = {"winmm.dll", "version.dll"};
    std::string folder = SystemFolder();
    ASSERT_FALSE(folder.empty()) << GetLastError();
    for (const char *name : names) {
        SCOPED_TRACE(name);
        SetLastError(0xdeadbeef);
        HMODULE module = LoadSystemLibrary(name);
        ASSERT_TRUE(module != NULL) << "error " << GetLastError();
        char path[MAX_PATH];
        DWORD n = GetModuleFileNameA(module, path, sizeof(path));
        ASSERT_TRUE(n > 0 && n < sizeof(path)) << GetLastError();
        std::string expected = folder + "\\" + name;
        EXPECT_EQ(0, lstrcmpiA(expected.c_str(), path)) << "loaded " << path << ", expected "
                                                         << expected;
        EXPECT_TRUE(FreeLibrary(module));
    }
}

TEST(SystemLibrary, RefusesOrFailsCleanly)
{
    std::string longName(300, 'x');
    longName += ".dll";
    static const struct { const char *name; DWORD error; } fixed[] = {
        {NULL, ERROR_INVALID_PARAMETER},
        {"", ERROR_INVALID_PARAMETER},
        {"..\\winmm.dll", ERROR_INVALID_PARAMETER},
        {"sub/winmm.dll", ERROR_INVALID_PARAMETER},
        {"C:winmm.dll", ERROR_INVALID_PARAMETER},
        {"no-such-library-here.dll", ERROR_MOD_NOT_FOUND},
    };
    for (const auto &c : fixed) {
        SCOPED_TRACE(c.name ? c.name : "(NULL)");
        SetLastError(0xdeadbeef);
        EXPECT_TRUE(LoadSystemLibrary(c.name) == NULL);
        EXPECT_EQ(c.error, GetLastError());
    }
    SetLastError(0xdeadbeef);
    EXPECT_TRUE(LoadSystemLibrary(longName.c_str()) == NULL);
    EXPECT_EQ((DWORD)ERROR_FILENAME_EXCED_RANGE, GetLastError());
}

TEST(SystemLibrary, DoubleByteNameWithBackslashTrailIsOneName)
{
    // "ソ" is 0x83 0x5C: its trail byte is no separator, so the name is asked
    // for in the system folder, where it does not exist.
    SetLastError(0xdeadbeef);
    EXPECT_TRUE(LoadSystemLibrary("ソ.dll") == NULL);
    EXPECT_EQ((DWORD)ERROR_MOD_NOT_FOUND, GetLastError());
}

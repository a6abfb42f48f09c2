// DLL planting. Marker DLLs are planted under the names of system DLLs that
// are not known DLLs, beside a copy of patch.exe and in its working folder,
// and Wine is told to prefer a native DLL of those names wherever the search
// finds one. A whole patch (folder browser included) must then load none of
// them. The probe runs show the planting itself works: without the
// restriction the very same loads take the planted DLLs.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>

#include "app/dll_search.h"
#include "res/resource.h"
#include "tests/hardening/planted_names.h"
#include "tests/support/file_bytes.h"
#include "tests/support/gui_driver.h"
#include "tests/support/temp_folder.h"
#include "tests/support/test_paths.h"

std::string PlantedDllOverrides()
{
    std::string overrides = "mscoree,mshtml=;";
    for (size_t i = 0; i < sizeof(PlantedDllNames) / sizeof(PlantedDllNames[0]); ++i) {
        std::string name = PlantedDllNames[i];
        overrides += (i ? "," : "") + name.substr(0, name.size() - 4);
    }
    return overrides + "=n,b";
}

namespace {

const char InstallRoot[] = "C:\\Program Files\\ころもり";
const char InstallRootAside[] = "C:\\Program Files\\ころもり-aside-planted-dll-test";
const char MarkerSuffix[] = ".loaded";
const char CurrentFolderOnlyName[] = "plantedonly.dll";
const char LoadedByWineBeforeStart[] = "version.dll";

std::string AllPlantedNames()
{
    std::string names;
    for (const char *name : PlantedDllNames)
        names += std::string(names.empty() ? "" : " ") + name;
    return names;
}

// The markers in folder, as "name (loaded by path)" joined by "; ".
std::string MarkersIn(const std::string &folder)
{
    std::string found;
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA((folder + "\\*" + MarkerSuffix).c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE)
        return found;
    do {
        std::string loader;
        ReadFileBytes(folder + "\\" + entry.cFileName, &loader);
        found += std::string(found.empty() ? "" : "; ") + entry.cFileName + " (loaded by " + loader + ")";
    } while (FindNextFileA(search, &entry));
    FindClose(search);
    return found;
}

class PlantedDlls : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string marker = TestBuildDir() + "\\tests\\planted_marker.dll";
        ASSERT_TRUE(PathPresent(marker)) << marker;
        for (const std::string *folder : {&exeFolder.Path(), &workFolder.Path()})
            for (const char *name : PlantedDllNames)
                ASSERT_TRUE(CopyFileA(marker.c_str(), (*folder + "\\" + name).c_str(), FALSE))
                    << *folder << "\\" << name << " error " << GetLastError();

        // Wine takes a process's DLL overrides from the environment it was
        // started with by the harness (a change made here with
        // SetEnvironmentVariable does not reach the children), so CTest sets
        // it; a lost setting must fail, not pass for want of planting.
        char overrides[1024];
        DWORD length = GetEnvironmentVariableA("WINEDLLOVERRIDES", overrides, sizeof(overrides));
        ASSERT_TRUE(length > 0 && length < sizeof(overrides)) << "WINEDLLOVERRIDES unset or too long";
        ASSERT_EQ(PlantedDllOverrides(), std::string(overrides));
    }

    // Copies a program from the build into the planted folder.
    std::string CopyBeside(const std::string &exe, const char *name)
    {
        std::string copy = exeFolder.Child(name);
        if (!CopyFileA(exe.c_str(), copy.c_str(), FALSE))
            ADD_FAILURE() << exe << " -> " << copy << " error " << GetLastError();
        return copy;
    }

    // Runs the probe and returns its exit code (-1 when it did not run or end).
    int RunProbe(const std::string &probe, const std::string &workDir, const std::string &arguments)
    {
        DrivenProcess run;
        if (!run.Launch(probe, workDir, arguments)) {
            ADD_FAILURE() << probe << " error " << GetLastError();
            return -1;
        }
        DWORD code = 0;
        if (!run.WaitForExit(GuiWaitMs, &code)) {
            ADD_FAILURE() << "the probe still runs";
            return -1;
        }
        return (int)code;
    }

    std::string Markers() { return MarkersIn(exeFolder.Path()) + "|" + MarkersIn(workFolder.Path()); }

    TempFolder exeFolder{"planted-exe"};
    TempFolder workFolder{"planted-cwd"};
};

// In this process, from here on: the system folder only, and uxtheme
// already loaded from there.
TEST_F(PlantedDlls, RestrictionPreloadsUxthemeFromTheSystemFolder)
{
    EXPECT_EQ(DLL_SEARCH_SYSTEM_FOLDER, RestrictDllSearch());
    HMODULE uxtheme = GetModuleHandleA("uxtheme.dll");
    ASSERT_TRUE(uxtheme != NULL) << "uxtheme.dll is not loaded";
    char loaded[MAX_PATH], system[MAX_PATH];
    DWORD length = GetModuleFileNameA(uxtheme, loaded, sizeof(loaded));
    ASSERT_TRUE(length > 0 && length < sizeof(loaded)) << GetLastError();
    UINT folder = GetSystemDirectoryA(system, sizeof(system));
    ASSERT_TRUE(folder > 0 && folder < sizeof(system)) << GetLastError();
    EXPECT_EQ(0, lstrcmpiA((std::string(system) + "\\uxtheme.dll").c_str(), loaded)) << loaded;
}

// The control: an unrestricted program beside the planted DLLs gets every
// one of them, so a marker-free run below means the restriction held.
TEST_F(PlantedDlls, WithoutRestrictionTheProbeTakesEveryPlantedDll)
{
    std::string probe = CopyBeside(TestBuildDir() + "\\tests\\dll_probe.exe", "probe.exe");
    EXPECT_EQ(0, RunProbe(probe, workFolder.Path(), AllPlantedNames()));
    for (const char *name : PlantedDllNames) {
        SCOPED_TRACE(name);
        EXPECT_TRUE(PathPresent(exeFolder.Child(name) + MarkerSuffix))
            << "not taken from beside the program; markers: " << Markers();
    }
}

TEST_F(PlantedDlls, AfterRestrictDllSearchTheProbeTakesNone)
{
    std::string probe = CopyBeside(TestBuildDir() + "\\tests\\dll_probe.exe", "probe.exe");
    EXPECT_EQ(DLL_SEARCH_SYSTEM_FOLDER, RunProbe(probe, workFolder.Path(), "--restrict " + AllPlantedNames()))
        << "every name should still load, from the system folder";
    EXPECT_EQ("|", Markers());
}

// Where SetDefaultDllDirectories is missing, only the current folder can be
// taken out of the search. A system DLL's name would be found in the system
// folder before the current one, so this plants a DLL of a name no system
// DLL has, in the working folder of the probe, which runs from the build.
TEST_F(PlantedDlls, FallbackLeavesOutTheCurrentFolder)
{
    std::string marker = TestBuildDir() + "\\tests\\planted_marker.dll";
    ASSERT_TRUE(CopyFileA(marker.c_str(), workFolder.Child(CurrentFolderOnlyName).c_str(), FALSE))
        << GetLastError();
    std::string probe = TestBuildDir() + "\\tests\\dll_probe.exe";
    std::string planted = workFolder.Child(CurrentFolderOnlyName) + MarkerSuffix;

    static const struct {
        const char *option;
        int restriction;  // the DLL_SEARCH_ value the probe reports
        int taken;        // 1 taken, 0 not, -1 cannot be shown here
    } cases[] = {
        {"", DLL_SEARCH_UNRESTRICTED, 1},  // the control: the current folder is searched
        // Wine treats an empty DLL directory as none set and keeps searching
        // the current folder, where Windows leaves it out: only the call's
        // success can be seen here.
        {"--fallback", DLL_SEARCH_NO_CURRENT_FOLDER, -1},
        {"--restrict", DLL_SEARCH_SYSTEM_FOLDER, 0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(std::string("option \"") + c.option + "\"");
        DeleteFileA(planted.c_str());
        int code = RunProbe(probe, workFolder.Path(), std::string(c.option) + " " + CurrentFolderOnlyName);
        EXPECT_EQ(c.restriction, code & 15) << "exit code " << code;
        if (c.taken < 0)
            continue;
        // The name exists nowhere else, so a load that misses the planted
        // DLL fails (16 in the exit code).
        EXPECT_EQ(c.taken ? 0 : 16, code & 16) << "exit code " << code;
        EXPECT_EQ(c.taken, PathPresent(planted)) << "markers: " << MarkersIn(workFolder.Path());
    }
}

// The real thing: a whole patch with the folder browser, by a copy of
// patch.exe sitting among the planted DLLs.
TEST_F(PlantedDlls, WholePatchLoadsNoPlantedDll)
{
    // The default folder must be missing, so that the browser opens.
    std::unique_ptr<TempFolder> aside;
    int movedAside = 0;
    if (PathPresent(InstallRoot)) {
        RemoveTree(InstallRootAside);
        ASSERT_TRUE(MoveFileA(InstallRoot, InstallRootAside)) << InstallRoot << " error " << GetLastError();
        movedAside = 1;
    }
    struct PutBack {
        int *moved;
        ~PutBack()
        {
            if (*moved)
                MoveFileA(InstallRootAside, InstallRoot);
        }
    } putBack{&movedAside};

    // Wine's own user32 imports version.dll, and Wine resolves that import
    // by the old search order, beside the program, while it loads the
    // program's imports: before any of the program's code runs. (The user32
    // of Windows imports no version.dll.) No program can guard that, so the
    // name is planted only in the working folder here.
    ASSERT_TRUE(DeleteFileA(exeFolder.Child(LoadedByWineBeforeStart).c_str())) << GetLastError();

    TempFolder target("planted-target");
    ASSERT_TRUE(WriteFileBytes(target.Child("vomel.exe"), "program"));
    std::string patchCopy = CopyBeside(TestPatchExePath(), "patch.exe");

    DrivenProcess patch;
    ASSERT_TRUE(patch.Launch(patchCopy, workFolder.Path())) << patchCopy << " error " << GetLastError();
    HWND dialog = WaitForProcessWindow(patch.Id(), "#32770", "Ozk");
    ASSERT_TRUE(dialog != NULL) << "no dialog; markers: " << Markers();

    ASSERT_TRUE(PressButton(dialog, IDOK));
    HWND prompt = WaitForOwnedWindow(dialog, "#32770");
    ASSERT_TRUE(prompt != NULL) << "no prompt for the folder";
    EXPECT_EQ("vomel.exe のあるフォルダを選択してください。", MessageBoxText(prompt));
    ASSERT_TRUE(PressButton(prompt, IDOK));
    HWND browser = WaitForOwnedWindow(dialog, "#32770", GuiWaitMs, prompt);
    ASSERT_TRUE(browser != NULL) << "no folder browser";
    ASSERT_TRUE(ChooseFolderInBrowser(browser, target.Path())) << target.Path();
    HWND done = WaitForOwnedWindow(dialog, "#32770", GuiWaitMs, browser);
    ASSERT_TRUE(done != NULL) << "no completion message";
    EXPECT_EQ("完了しました。", MessageBoxText(done));
    ASSERT_TRUE(PressButton(done, IDOK));
    // The exit button comes back once the message is answered.
    DWORD start = GetTickCount();
    while (ControlEnabled(dialog, IDCANCEL) != 1 && GetTickCount() - start < GuiWaitMs)
        Sleep(20);
    ASSERT_TRUE(PressButton(dialog, IDCANCEL)) << "the exit button cannot be pressed";
    DWORD code = 0;
    ASSERT_TRUE(patch.WaitForExit(GuiWaitMs, &code)) << "patch.exe still runs";
    EXPECT_EQ(1u, code);

    std::string embedded, written;
    ASSERT_TRUE(ReadFileBytes(TestPayloadPath("system.xp3"), &embedded));
    ASSERT_TRUE(ReadFileBytes(target.Child("system.xp3"), &written)) << "the patch wrote nothing";
    EXPECT_TRUE(embedded == written) << "system.xp3 differs from the payload";
    EXPECT_EQ("|", Markers()) << "planted DLLs were loaded (beside the program | current folder)";
}

}  // namespace

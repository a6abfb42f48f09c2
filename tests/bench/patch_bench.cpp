// make bench: the real patch.exe, timed from outside as a person would see
// it. With the default installation folder in place (no folder browser):
//   startup   CreateProcess until the dialog is visible
//   patch     the fix button's click until the completion message is visible
// Each run starts a fresh process; the median of the runs is printed as
//   patch|<what>|<median ms>|<runs>
// Windows are polled every millisecond (the test driver's default of 50 ms
// would swamp the figures).
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "tests/bench/bench_clock.h"
#include "res/resource.h"
#include "tests/support/file_bytes.h"
#include "tests/support/gui_driver.h"
#include "tests/support/temp_folder.h"
#include "tests/support/test_paths.h"

static const char InstallRoot[] = "C:\\Program Files\\ころもり";
static const char InstallDir[] = "C:\\Program Files\\ころもり\\ケルバノ\\ころもり";
static const char CompletedText[] = "完了しました。";

static int Fail(const char *what)
{
    fprintf(stderr, "patch_bench: %s\n", what);
    return 1;
}

int main(int argc, char **argv)
{
    int runs = argc > 1 ? atoi(argv[1]) : 5;
    if (runs < 1)
        runs = 1;
    if (PathPresent(InstallRoot))
        return Fail("the default installation folder already exists in this prefix; not touching it");
    if (!MakeFolders(InstallDir) || !WriteFileBytes(std::string(InstallDir) + "\\vomel.exe", "program"))
        return Fail("cannot make the installation folder");
    TempFolder work("patchbench");

    std::vector<double> startup, patch;
    int failed = 0;
    for (int run = 0; run < runs && !failed; ++run) {
        DrivenProcess process;
        double launched = Now();
        if (!process.Launch(TestPatchExePath(), work.Path())) {
            failed = Fail("cannot start patch.exe");
            break;
        }
        HWND dialog = WaitForProcessWindow(process.Id(), "#32770", "Ozk", GuiWaitMs, 1);
        double shown = Now();
        if (!dialog || !SyncWithWindow(dialog)) {
            failed = Fail("no dialog");
            break;
        }
        // Settled first: the click is timed from an idle dialog.
        Sleep(200);
        double clicked = Now();
        if (!PressButton(dialog, IDOK)) {
            failed = Fail("the fix button cannot be pressed");
            break;
        }
        HWND box = WaitForOwnedWindow(dialog, "#32770", GuiWaitMs, NULL, 1);
        double completed = Now();
        if (!box || MessageBoxText(box) != CompletedText) {
            failed = Fail("no completion message");
            break;
        }
        startup.push_back(shown - launched);
        patch.push_back(completed - clicked);
        PressButton(box, IDOK);
        DWORD start = GetTickCount();
        while (ControlEnabled(dialog, IDCANCEL) != 1 && GetTickCount() - start < GuiWaitMs)
            Sleep(5);
        PressButton(dialog, IDCANCEL);
        DWORD code = 0;
        if (!process.WaitForExit(GuiWaitMs, &code) || code != 1)
            failed = Fail("patch.exe did not end with exit code 1");
    }
    RemoveTree(InstallRoot);
    if (failed)
        return 1;
    printf("patch|startup|%.1f|%d\n", Median(startup), runs);
    printf("patch|fix-to-complete|%.1f|%d\n", Median(patch), runs);
    return 0;
}

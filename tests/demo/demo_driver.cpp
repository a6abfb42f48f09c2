// make demo without a display: starts patch.exe, waits for its dialog, and
// walks through the steps below, taking a screenshot where a person would
// look: a whole patch into the default installation folder, then the exit
// button. Prints where the pictures are and what was written.
#include <windows.h>

#include <cstdio>
#include <string>

#include "payload/payload_table.h"
#include "res/resource.h"
#include "tests/support/file_bytes.h"
#include "tests/support/gui_driver.h"
#include "tests/support/png_screenshot.h"
#include "tests/support/test_paths.h"

struct Demo {
    DrivenProcess patch;
    HWND dialog;
};

static int Screenshot(HWND window, const char *name)
{
    std::string path = TestScreenshotPath(name);
    if (!SaveWindowPng(window, path)) {
        printf("demo: could not save %s\n", path.c_str());
        return 0;
    }
    printf("demo: screenshot %s\n", path.c_str());
    return 1;
}

static int ShowIdleDialog(Demo *demo)
{
    printf("demo: status \"%s\", file \"%s\"\n", ControlText(demo->dialog, IDC_STATUS).c_str(),
           ControlText(demo->dialog, IDC_FILE).c_str());
    return Screenshot(demo->dialog, "demo-idle");
}

// Waits until a message box the demo answered has gone away.
static int WaitUntilGone(HWND window)
{
    DWORD start = GetTickCount();
    while (IsWindow(window) && IsWindowVisible(window)) {
        if (GetTickCount() - start >= GuiWaitMs)
            return 0;
        Sleep(20);
    }
    return 1;
}

// The fix button, the completion message and its OK, as a person would.
static int PatchDefaultFolder(Demo *demo)
{
    if (!PressButton(demo->dialog, IDOK)) {
        printf("demo: the fix button cannot be pressed\n");
        return 0;
    }
    HWND box = WaitForOwnedWindow(demo->dialog, "#32770");
    if (!box) {
        printf("demo: no message appeared after the fix button\n");
        return 0;
    }
    printf("demo: message \"%s\" captioned \"%s\"\n", MessageBoxText(box).c_str(),
           MessageBoxCaption(box).c_str());
    if (MessageBoxText(box) != "完了しました。") {
        printf("demo: the patch did not complete\n");
        Screenshot(box, "demo-failure");
        return 0;
    }
    if (!Screenshot(box, "demo-complete-message"))
        return 0;
    if (!PressButton(box, IDOK) || !WaitUntilGone(box)) {
        printf("demo: the message does not close\n");
        return 0;
    }
    // The buttons change right after the message closes.
    DWORD start = GetTickCount();
    while (ControlEnabled(demo->dialog, IDCANCEL) != 1 && GetTickCount() - start < GuiWaitMs)
        Sleep(20);
    printf("demo: status \"%s\", file \"%s\"\n", ControlText(demo->dialog, IDC_STATUS).c_str(),
           ControlText(demo->dialog, IDC_FILE).c_str());
    return Screenshot(demo->dialog, "demo-done");
}

// What the patch wrote, file by file, against the payloads embedded in patch.exe.
static int ShowWrittenFiles(Demo *)
{
    int allEqual = 1;
    for (int row = 0; row < PAYLOAD_COUNT; ++row) {
        std::string target = std::string(DefaultInstallDir) + PayloadFileNames[row];
        std::string written, embedded;
        if (!ReadFileBytes(target, &written)) {
            printf("demo: %s is missing\n", target.c_str());
            allEqual = 0;
            continue;
        }
        if (!ReadFileBytes(TestPayloadPath(PayloadFileNames[row]), &embedded)) {
            printf("demo: cannot read the payload %s\n", TestPayloadPath(PayloadFileNames[row]).c_str());
            allEqual = 0;
            continue;
        }
        int equal = written == embedded;
        printf("demo: wrote %s, %lu bytes, %s the embedded payload (%lu bytes)\n", target.c_str(),
               (unsigned long)written.size(), equal ? "equal to" : "DIFFERENT from",
               (unsigned long)embedded.size());
        allEqual &= equal;
    }
    return allEqual;
}

static int PressExit(Demo *demo)
{
    if (!PressButton(demo->dialog, IDCANCEL)) {
        printf("demo: the exit button cannot be pressed\n");
        return 0;
    }
    DWORD code = 0;
    if (!demo->patch.WaitForExit(GuiWaitMs, &code)) {
        printf("demo: patch.exe did not end\n");
        return 0;
    }
    printf("demo: patch.exe ended with exit code %lu\n", code);
    return 1;
}

// The demo, in order.
static const struct {
    const char *name;
    int (*run)(Demo *demo);
} DemoSteps[] = {
    {"idle dialog", ShowIdleDialog},
    {"fix button: whole patch into the default folder", PatchDefaultFolder},
    {"files written", ShowWrittenFiles},
    {"exit button", PressExit},
};

int main()
{
    Demo demo;
    demo.dialog = NULL;
    std::string exe = TestPatchExePath();
    if (!demo.patch.Launch(exe, TestBuildDir())) {
        printf("demo: cannot start %s (error %lu)\n", exe.c_str(), GetLastError());
        return 1;
    }
    demo.dialog = WaitForProcessWindow(demo.patch.Id(), "#32770", "Ozk");
    if (!demo.dialog || !SyncWithWindow(demo.dialog)) {
        printf("demo: the dialog did not appear\n");
        return 1;
    }
    for (const auto &step : DemoSteps) {
        printf("demo: %s\n", step.name);
        if (!step.run(&demo))
            return 1;
    }
    return 0;
}

// make demo without a display: starts patch.exe, waits for its dialog, and
// walks through the steps below, taking a screenshot where a person would
// look, then ends it with the exit button. Prints where the pictures are.
#include <windows.h>

#include <cstdio>
#include <string>

#include "res/resource.h"
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

// The demo, in order. A whole patch run (press the fix button, wait for the
// completion message, screenshot it, press its OK) belongs between the idle
// dialog and the exit, as one more row.
static const struct {
    const char *name;
    int (*run)(Demo *demo);
} DemoSteps[] = {
    {"idle dialog", ShowIdleDialog},
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

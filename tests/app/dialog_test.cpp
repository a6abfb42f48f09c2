// The real patch.exe, started as its own process and driven from here the
// way a person would: what the dialog shows when it opens, that the exit
// button and the close box both end it with exit code 1 without writing
// anything, and that commands it does not know change nothing.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <memory>
#include <string>

#include "res/resource.h"
#include "tests/support/file_bytes.h"
#include "tests/support/gui_driver.h"
#include "tests/support/png_screenshot.h"
#include "tests/support/temp_folder.h"
#include "tests/support/test_paths.h"

namespace {

const char InstallRoot[] = "C:\\Program Files\\ころもり";
const char InstallDir[] = "C:\\Program Files\\ころもり\\ケルバノ\\ころもり";

// What a person sees of the dialog, in one comparable line.
std::string DialogState(HWND dialog)
{
    int low = -1, high = -1, position = -1;
    HWND bar = GetDlgItem(dialog, IDC_PROGRESS);
    if (!ProgressRange(bar, &low, &high) || !ProgressPosition(bar, &position))
        return "progress bar does not answer";
    char numbers[64];
    wsprintfA(numbers, "bar %d..%d at %d", low, high, position);
    return "status=" + ControlText(dialog, IDC_STATUS) + " file=" + ControlText(dialog, IDC_FILE) +
           " fix=" + ControlText(dialog, IDOK) + (ControlEnabled(dialog, IDOK) == 1 ? "(on)" : "(off)") +
           " exit=" + ControlText(dialog, IDCANCEL) +
           (ControlEnabled(dialog, IDCANCEL) == 1 ? "(on)" : "(off)") + " " + numbers;
}

const char IdleState[] = "status=status file=file fix=修正(on) exit=終了(on) bar 0..100 at 0";

class PatchDialog : public ::testing::Test {
protected:
    void SetUp() override
    {
        // An installation as the user has it: the program and older payloads.
        RemoveTree(InstallRoot);
        installRoot.reset(new TempFolder(TempFolder::At(InstallRoot)));
        ASSERT_TRUE(MakeFolders(InstallDir)) << InstallDir;
        ASSERT_TRUE(WriteFileBytes(std::string(InstallDir) + "\\vomel.exe", "program"));
        ASSERT_TRUE(WriteFileBytes(std::string(InstallDir) + "\\system.xp3", "older archive"));
        ASSERT_TRUE(WriteFileBytes(std::string(InstallDir) + "\\system.xp3.sig", "older signature"));
        installBefore = InstallSnapshot();
        buildBefore = ListFolder(TestBuildDir());

        ASSERT_TRUE(patch.Launch(TestPatchExePath(), workFolder.Path()))
            << TestPatchExePath() << " error " << GetLastError();
        dialog = WaitForProcessWindow(patch.Id(), "#32770", "Ozk");
        if (!dialog) {
            DWORD code = 0;
            if (patch.WaitForExit(0, &code))
                FAIL() << "patch.exe ended with exit code 0x" << std::hex << code << " before its dialog showed";
            FAIL() << "no dialog \"Ozk\" of process " << patch.Id();
        }
        ASSERT_TRUE(SyncWithWindow(dialog));
    }

    // The folder's names and every file's bytes.
    static std::string InstallSnapshot()
    {
        std::string snapshot = ListFolder(InstallDir);
        for (const char *name : {"vomel.exe", "system.xp3", "system.xp3.sig"}) {
            std::string bytes;
            snapshot += std::string("|") + name + "=" +
                        (ReadFileBytes(std::string(InstallDir) + "\\" + name, &bytes) ? bytes : "<missing>");
        }
        return snapshot;
    }

    void ExpectExitCode1AndNothingWritten()
    {
        DWORD code = 0;
        ASSERT_TRUE(patch.WaitForExit(GuiWaitMs, &code)) << "patch.exe still runs";
        EXPECT_EQ(1u, code);
        EXPECT_EQ(installBefore, InstallSnapshot()) << "the installation folder changed";
        EXPECT_EQ("", ListFolder(workFolder.Path())) << "files in the working folder";
        EXPECT_EQ(buildBefore, ListFolder(TestBuildDir())) << "files beside patch.exe";
    }

    std::unique_ptr<TempFolder> installRoot;
    TempFolder workFolder{"patchcwd"};
    std::string installBefore, buildBefore;
    DrivenProcess patch;
    HWND dialog = NULL;
};

TEST_F(PatchDialog, OpensWithPlaceholdersAndAnEmptyBar)
{
    EXPECT_EQ(IdleState, DialogState(dialog));
    EXPECT_TRUE(IsWindowVisible(dialog));

    // The template's order is the tab order; the fix button is the default
    // and has the focus (the initialisation returns TRUE).
    std::string order;
    for (HWND child : ChildWindows(dialog))
        order += std::to_string(GetDlgCtrlID(child)) + ":" + ClassNameOf(child) + " ";
    EXPECT_EQ("1:Button 2:Button 1000:Static 1001:Static 1002:msctls_progress32 ", order);
    LRESULT defaultId = 0;
    ASSERT_TRUE(SendWithTimeout(dialog, DM_GETDEFID, 0, 0, &defaultId));
    EXPECT_EQ(MAKELONG(IDOK, DC_HASDEFID), defaultId);
    EXPECT_EQ(GetDlgItem(dialog, IDOK), FocusOfThreadOf(dialog));

    std::string shot = TestScreenshotPath("idle");
    EXPECT_TRUE(SaveWindowPng(dialog, shot)) << shot;
    printf("screenshot: %s\n", shot.c_str());

    ASSERT_TRUE(PressButton(dialog, IDCANCEL));
    ExpectExitCode1AndNothingWritten();
}

// Every way out ends the dialog with 1 and leaves the files alone.
// A row per way out; each runs its own patch.exe.
struct WayOut {
    const char *name;
    UINT message;  // 0: press the exit button
    WPARAM wParam;
};

const WayOut WaysOut[] = {
    {"ExitButton", 0, 0},
    {"CloseMessage", WM_CLOSE, 0},
    // What the close box sends: the system menu's close command.
    {"CloseBoxCommand", WM_SYSCOMMAND, SC_CLOSE},
    // Only the low word names the command.
    {"ExitIdWithNotification1", WM_COMMAND, MAKEWPARAM(IDCANCEL, 1)},
    {"ExitIdWithNotification0xFFFF", WM_COMMAND, MAKEWPARAM(IDCANCEL, 0xFFFF)},
};

void PrintTo(const WayOut &way, std::ostream *out)
{
    *out << way.name;
}

std::string WayOutName(const ::testing::TestParamInfo<WayOut> &info)
{
    return info.param.name;
}

class PatchDialogWayOut : public PatchDialog, public ::testing::WithParamInterface<WayOut> {};

TEST_P(PatchDialogWayOut, EndsWithCode1AndWritesNothing)
{
    const WayOut &way = GetParam();
    if (way.message == 0)
        ASSERT_TRUE(PressButton(dialog, IDCANCEL));
    else
        ASSERT_TRUE(PostMessageA(dialog, way.message, way.wParam, 0)) << "error " << GetLastError();
    ExpectExitCode1AndNothingWritten();
}

INSTANTIATE_TEST_SUITE_P(Ways, PatchDialogWayOut, ::testing::ValuesIn(WaysOut), WayOutName);

TEST_F(PatchDialog, UnknownCommandsChangeNothing)
{
    static const struct { const char *name; WPARAM wParam; } rows[] = {
        {"1234", MAKEWPARAM(1234, 0)},
        {"0", MAKEWPARAM(0, 0)},
        {"1234 with notification 1", MAKEWPARAM(1234, 1)},
        {"status line id 1001", MAKEWPARAM(IDC_FILE, 0)},
        {"progress bar id 1002", MAKEWPARAM(IDC_PROGRESS, 0)},
        {"0xFFFF", MAKEWPARAM(0xFFFF, 0)},
        {"0 with the exit id as notification", MAKEWPARAM(0, IDCANCEL)},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        ASSERT_TRUE(SendWithTimeout(dialog, WM_COMMAND, row.wParam, 0)) << "dialog does not answer";
        ASSERT_TRUE(SyncWithWindow(dialog));
        EXPECT_TRUE(patch.Running()) << "patch.exe ended";
        ASSERT_TRUE(IsWindow(dialog));
        EXPECT_TRUE(IsWindowVisible(dialog));
        EXPECT_EQ(IdleState, DialogState(dialog));
        EXPECT_TRUE(OwnedWindows(dialog).empty()) << "a window opened";
    }
    ASSERT_TRUE(PressButton(dialog, IDCANCEL));
    ExpectExitCode1AndNothingWritten();
}

}  // namespace

// OnProgress, the copier's progress callback, against the real dialog made
// from the installer's own template in this process: called on a worker
// thread as the copier calls it, it moves the bar, and at 100 posts the
// PAYLOAD_FINISHED command while rows remain. The posted commands are taken
// off the queue and counted, never dispatched: the dialog would start a copy.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <vector>

#include "app/patch_dialog.h"
#include "app/patch_sequence.h"
#include "res/resource.h"
#include "tests/support/gui_driver.h"

namespace {

struct Reports {
    std::vector<unsigned int> percents;
    std::vector<int> results;
};

DWORD WINAPI Report(LPVOID parameter)
{
    Reports *reports = (Reports *)parameter;
    for (unsigned int percent : reports->percents)
        reports->results.push_back(OnProgress(percent));
    return 0;
}

class OnProgressTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dialog = CreateDialogParamA(GetModuleHandleA(NULL), MAKEINTRESOURCEA(IDD_PATCH), NULL,
                                    PatchDialogProc, 0);
        ASSERT_TRUE(dialog != NULL) << "error " << GetLastError();
        ASSERT_EQ(dialog, PatchDialogWindow);
    }
    void TearDown() override
    {
        if (dialog && IsWindow(dialog))
            DestroyWindow(dialog);
        PayloadIndex = 0;
    }

    // Runs OnProgress on a worker with these reports. This thread serves
    // only the worker's sends to the bar while it waits; posted messages stay
    // queued. 0 when the worker did not end in time.
    int ReportOnWorker(Reports *reports)
    {
        HANDLE worker = CreateThread(NULL, 0, Report, reports, 0, NULL);
        if (!worker)
            return 0;
        DWORD wait;
        for (;;) {
            MSG message;
            PeekMessageA(&message, NULL, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
            wait = MsgWaitForMultipleObjects(1, &worker, FALSE, GuiWaitMs, QS_SENDMESSAGE);
            if (wait != WAIT_OBJECT_0 + 1)
                break;
        }
        if (wait != WAIT_OBJECT_0)
            TerminateThread(worker, 1);
        CloseHandle(worker);
        return wait == WAIT_OBJECT_0;
    }

    // Takes every posted WM_COMMAND for the dialog off the queue; the number
    // of PAYLOAD_FINISHED ones (wParam 1000, lParam 0), -1 for any other.
    int TakeFinishedCommands()
    {
        int finished = 0;
        MSG message;
        while (PeekMessageA(&message, dialog, WM_COMMAND, WM_COMMAND, PM_REMOVE)) {
            if (message.wParam == PAYLOAD_FINISHED && message.lParam == 0 && finished >= 0)
                ++finished;
            else
                finished = -1;
        }
        return finished;
    }

    HWND dialog = NULL;
};

TEST_F(OnProgressTest, MovesTheBarAndPostsFinishedOnlyAt100WhileRowsRemain)
{
    const struct {
        const char *name;
        LONG payloadIndex;
        std::vector<unsigned int> percents;
        int bar;
        int finished;
    } rows[] = {
        {"below 100, first row", 0, {0, 1, 42, 99}, 99, 0},
        {"below 100, repeated values", 1, {7, 7, 8}, 8, 0},
        {"exactly 100, first row", 0, {100}, 100, 1},
        {"a whole copy's reports, second row", 1, {0, 1, 50, 99, 99, 100}, 100, 1},
        {"100 once every row is written", 2, {100}, 100, 0},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        SendDlgItemMessageA(dialog, IDC_PROGRESS, PBM_SETPOS, 0, 0);
        PayloadIndex = row.payloadIndex;
        Reports reports;
        reports.percents = row.percents;
        ASSERT_TRUE(ReportOnWorker(&reports)) << "the worker hangs in OnProgress";
        EXPECT_EQ(std::vector<int>(row.percents.size(), 1), reports.results);
        EXPECT_EQ(row.bar, (int)SendDlgItemMessageA(dialog, IDC_PROGRESS, PBM_GETPOS, 0, 0));
        EXPECT_EQ(row.finished, TakeFinishedCommands());
        EXPECT_EQ(row.payloadIndex, PayloadIndex) << "OnProgress changed the row";
    }
}

TEST_F(OnProgressTest, ReportsAfterTheDialogIsGoneReturnAtOnce)
{
    ASSERT_TRUE(DestroyWindow(dialog));
    EXPECT_TRUE(PatchDialogWindow == NULL);
    // As at shutdown: the dialog thread no longer serves anything.
    Reports reports;
    reports.percents = {50, 100};
    HANDLE worker = CreateThread(NULL, 0, Report, &reports, 0, NULL);
    ASSERT_TRUE(worker != NULL) << GetLastError();
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(worker, GuiWaitMs)) << "OnProgress waits";
    CloseHandle(worker);
    EXPECT_EQ(std::vector<int>({1, 1}), reports.results);
    MSG message;
    EXPECT_FALSE(PeekMessageA(&message, NULL, WM_COMMAND, WM_COMMAND, PM_REMOVE)) << "a command was posted";
}

}  // namespace

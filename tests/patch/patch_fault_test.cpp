// The installer when a copy cannot be finished: a payload file held open by
// another program (told, retried, then the whole patch), and the close box
// in the middle of a copy (the program ends at once, the old files whole).
#include "tests/patch/installer_session.h"

#include <algorithm>

#include "payload/resource_copier.h"
#include "res/resource.h"
#include "tests/support/file_bytes.h"
#include "tests/support/process_threads.h"
#include "tests/support/test_paths.h"

namespace {

class PatchFaultTest : public InstallerSession {
protected:
    void TearDown() override
    {
        if (held != INVALID_HANDLE_VALUE)
            CloseHandle(held);
        InstallerSession::TearDown();
    }
    HANDLE held = INVALID_HANDLE_VALUE;
};

TEST_F(PatchFaultTest, HeldArchiveIsToldAndTheRetryPatchesEverything)
{
    ASSERT_NO_FATAL_FAILURE(MakeDefaultFolderWithOlderFiles());
    std::string archive = JoinedPath(DefaultFolder, "system.xp3");
    // Open without sharing, as a running game holds its archive.
    held = CreateFileA(archive.c_str(), GENERIC_READ, 0, NULL, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, held) << archive << " error " << GetLastError();

    ASSERT_NO_FATAL_FAILURE(Launch(TestPatchExePath()));
    ASSERT_TRUE(PressButton(dialog, IDOK));
    HWND box = NextOwned();
    ASSERT_NO_FATAL_FAILURE(ExpectMessageBox(box, "報告", "コピー失敗"));
    Screenshot(box, "patch-failure-message");
    ASSERT_NO_FATAL_FAILURE(Answer(box, IDOK));
    // Told once; both ways on are open.
    ExpectViewSoon(View("コピー失敗", archive, 1, 1, 0));
    EXPECT_TRUE(OwnedWindows(dialog).empty()) << "another window opened";
    Screenshot(dialog, "patch-failure");

    CloseHandle(held);
    held = INVALID_HANDLE_VALUE;
    ExpectOlderFilesKept();

    ASSERT_TRUE(PressButton(dialog, IDOK)) << "the fix button cannot be pressed again";
    ASSERT_NO_FATAL_FAILURE(ExpectCompletion(DefaultFolder, "patch-retry"));
    ExpectPayloadsIn(DefaultFolder, "system.xp3,system.xp3.sig");
    ExitWithCode1();
}

std::string PatchBigExePath()
{
    return TestBuildDir() + "\\tests\\patch_big.exe";
}

// The installer built with a 64 MiB archive. Catching its copy half done is
// not left to timing: once the bar shows it under way, the installer's new
// thread (the copier's worker) is suspended, so the copy stands still
// exactly there while the close box is used. The worker runs again only
// after the dialog is gone, as a slow disk would let it.
TEST_F(PatchFaultTest, CloseBoxDuringACopyEndsAtOnceAndKeepsTheOldFiles)
{
    ASSERT_NO_FATAL_FAILURE(MakeDefaultFolderWithOlderFiles());
    std::string archive = JoinedPath(DefaultFolder, "system.xp3");
    ASSERT_NO_FATAL_FAILURE(Launch(PatchBigExePath()));
    std::vector<DWORD> threadsBefore = ThreadIdsOf(patch.Id());
    ASSERT_FALSE(threadsBefore.empty()) << "no thread list, error " << GetLastError();

    ASSERT_TRUE(PressButton(dialog, IDOK));
    HWND bar = GetDlgItem(dialog, IDC_PROGRESS);
    int position = -1;
    DWORD start = GetTickCount();
    while (ProgressPosition(bar, &position) && position < 1 && GetTickCount() - start < GuiWaitMs)
        ;
    ASSERT_GE(position, 1) << "the copy did not start";
    ASSERT_LE(position, 50) << "the copy was not caught in its first half";

    std::vector<DWORD> started;
    for (DWORD id : ThreadIdsOf(patch.Id()))
        if (std::find(threadsBefore.begin(), threadsBefore.end(), id) == threadsBefore.end())
            started.push_back(id);
    ASSERT_FALSE(started.empty()) << "no new thread in the installer";
    FrozenThreads frozen;
    ASSERT_TRUE(frozen.Freeze(started)) << "cannot suspend the worker, error " << GetLastError();

    // Standing still now. Below 99 the last piece is not written yet, so the
    // archive cannot have been replaced: the copy is truly half done.
    DialogView copying = Current();
    EXPECT_EQ(View("コピー中．．．", archive, 0, 0, copying.bar).Text(), copying.Text());
    EXPECT_GE(copying.bar, 1);
    EXPECT_LE(copying.bar, 98);
    EXPECT_EQ("system.xp3,system.xp3.sig,system.xp3" TEMPORARY_SUFFIX, ListFolder(DefaultFolder))
        << "the bytes go somewhere else than beside the target";
    Screenshot(dialog, "patch-copying");

    // The close box: what its click sends.
    ASSERT_TRUE(PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0)) << GetLastError();
    start = GetTickCount();
    while (IsWindow(dialog) && GetTickCount() - start < GuiWaitMs)
        Sleep(20);
    EXPECT_FALSE(IsWindow(dialog)) << "the dialog waits for the copy";
    frozen.Thaw();

    DWORD code = 0;
    ASSERT_TRUE(patch.WaitForExit(GuiWaitMs, &code)) << "the installer does not end";
    EXPECT_EQ(1u, code);
    ExpectOlderFilesKept();
}

}  // namespace

// The resource copier on real files: complete copies with their exact report
// sequences and bytes, the copier's state rules, and a stop that must not
// deadlock while the worker sends a message to the stopping thread.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <string>

#include "payload/resource_copier.h"
#include "tests/payload/copier_probe.h"
#include "tests/support/file_bytes.h"
#include "tests/support/temp_folder.h"

namespace {

class CopierTest : public testing::Test {
protected:
    void SetUp() override
    {
        ResetProbe(&copier);
        copier.SetProgressCallback(RecordProgress);
        copier.SetFailureCallback(RecordFailure);
    }
    // Declared after the folder: destroyed first, so a worker is stopped
    // before its folder goes.
    TempFolder folder{"copier"};
    ResourceCopier copier;
};

int OtherProgress(unsigned int) { return 0; }
int OtherFailure(unsigned int) { return 0; }

std::string SpecifierOf(const char *name) { return std::string("%BINARY%") + name; }

} // namespace

TEST_F(CopierTest, CompleteCopies)
{
    static const struct {
        const char *label;
        const char *resource;
        const char *folder;      // under the test folder ("" for none)
        const char *file;
        size_t oldSize;          // an older file of this size is there first (0: none)
    } cases[] = {
        {"archive", "ID_SYSTEM_XP3", "", "system.xp3", 0},
        {"archive over a longer file", "ID_SYSTEM_XP3", "ころもり", "system.xp3", 2000000},
        {"signature", "ID_SYSTEM_SIG", "", "system.xp3.sig", 0},
        {"signature over a longer file", "ID_SYSTEM_SIG", "ソ表", "system.xp3.sig", 1000},
        {"empty payload", "ID_EMPTY", "", "empty.bin", 0},
        {"empty payload over a file", "ID_EMPTY", "", "empty.bin", 500},
        {"57-byte payload", "ID_SMALL", "", "small.bin", 0},
        {"57-byte payload over a file", "ID_SMALL", "", "small.bin", 100},
        {"45,000,000-byte payload", "ID_LARGE", "", "large.bin", 0},
    };
    int row = 0;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.label);
        ResetProbe(&copier);
        int found = 0;
        std::string payload = ResourceBytes(c.resource, &found);
        ASSERT_TRUE(found) << c.resource << " is not embedded";
        std::string dir = folder.Child("row" + std::to_string(row++));
        if (*c.folder)
            dir += std::string("\\") + c.folder;
        ASSERT_TRUE(MakeFolders(dir)) << dir;
        std::string target = dir + "\\" + c.file;
        if (c.oldSize) {
            ASSERT_TRUE(WriteFileBytes(target, std::string(c.oldSize, '\xEE')));
        }

        ASSERT_EQ(1, copier.StartCopy(SpecifierOf(c.resource).c_str(), target.c_str()));
        ASSERT_TRUE(WaitForWorker(copier, 60000)) << "the copy did not end";
        DWORD exitCode = 0;
        GetExitCodeThread(copier.threadHandle, &exitCode);
        EXPECT_EQ(0u, exitCode);
        copier.StopCopy();

        std::vector<unsigned> expected = ExpectedReports((unsigned long)payload.size());
        EXPECT_EQ(expected, Probe.reports) << "actual " << Describe(Probe.reports)
                                           << "\nexpected " << Describe(expected);
        for (size_t i = 1; i < Probe.reports.size(); ++i)
            EXPECT_LE(Probe.reports[i - 1], Probe.reports[i]) << "report " << i << " fell";
        EXPECT_TRUE(Probe.failures.empty()) << "failure " << Probe.failures[0];
        std::string written;
        ASSERT_TRUE(ReadFileBytes(target, &written)) << target;
        EXPECT_EQ(payload.size(), written.size());
        EXPECT_TRUE(payload == written) << "the file differs from the payload";
        EXPECT_EQ(std::string(c.file), ListFolder(dir)) << "only the target is left";
    }
}

TEST_F(CopierTest, ArchiveReportsEveryPercentOnceThen100)
{
    std::string target = folder.Child("system.xp3");
    ASSERT_EQ(1, copier.StartCopy("%BINARY%ID_SYSTEM_XP3", target.c_str()));
    ASSERT_TRUE(WaitForWorker(copier, 60000));
    copier.StopCopy();
    // 100 chunks of 13,598 bytes give 0..99, the 19 bytes left give 100.
    std::vector<unsigned> expected = CountingReports(100);
    EXPECT_EQ(expected, Probe.reports) << Describe(Probe.reports);
}

TEST_F(CopierTest, SignatureReports114TimesWith100OnlyLast)
{
    std::string target = folder.Child("system.xp3.sig");
    ASSERT_EQ(1, copier.StartCopy("%BINARY%ID_SYSTEM_SIG", target.c_str()));
    ASSERT_TRUE(WaitForWorker(copier, 20000));
    copier.StopCopy();
    ASSERT_EQ(114u, Probe.reports.size()) << Describe(Probe.reports);
    for (unsigned k = 1; k <= 114; ++k)
        EXPECT_EQ(k * 100 / 114, Probe.reports[k - 1]) << "report " << k;
    EXPECT_EQ(0u, Probe.reports[0]);
    EXPECT_EQ(1u, Probe.reports[1]);
    EXPECT_EQ(99u, Probe.reports[112]);
    EXPECT_EQ(100u, Probe.reports[113]);
}

TEST_F(CopierTest, LargePayloadPercentagesDoNotWrap)
{
    // 45,000,000 bytes in chunks of 450,000: every report is k for chunk k.
    std::string target = folder.Child("large.bin");
    ASSERT_EQ(1, copier.StartCopy("%BINARY%ID_LARGE", target.c_str()));
    ASSERT_TRUE(WaitForWorker(copier, 60000));
    copier.StopCopy();
    std::vector<unsigned> expected = CountingReports(100);
    expected.erase(expected.begin());
    EXPECT_EQ(expected, Probe.reports) << Describe(Probe.reports);
}

TEST_F(CopierTest, NoCallbackCopiesInFull)
{
    ResourceCopier quiet;
    std::string target = folder.Child("system.xp3.sig");
    ASSERT_EQ(1, quiet.StartCopy("%BINARY%ID_SYSTEM_SIG", target.c_str()));
    ASSERT_TRUE(WaitForWorker(quiet, 20000));
    quiet.StopCopy();
    std::string written;
    ASSERT_TRUE(ReadFileBytes(target, &written));
    EXPECT_TRUE(ResourceBytes("ID_SYSTEM_SIG") == written);
}

TEST(CopierState, NewCopierIsEmptyAndStopCopyIdleChangesNothing)
{
    ResourceCopier copier;
    EXPECT_EQ(0u, copier.threadId);
    EXPECT_TRUE(copier.threadHandle == NULL);
    EXPECT_TRUE(copier.callback == NULL);
    EXPECT_FALSE(copier.stopRequested);
    EXPECT_TRUE(copier.specifier == NULL);
    EXPECT_TRUE(copier.targetPath == NULL);
    EXPECT_TRUE(copier.failureCallback == NULL);
    copier.StopCopy();
    EXPECT_EQ(0u, copier.threadId);
    EXPECT_TRUE(copier.threadHandle == NULL);
    EXPECT_FALSE(copier.stopRequested);
    EXPECT_TRUE(copier.specifier == NULL);
    EXPECT_TRUE(copier.targetPath == NULL);
}

TEST(CopierState, FieldsInDeclaredOrder)
{
    EXPECT_LT(offsetof(ResourceCopier, threadId), offsetof(ResourceCopier, threadHandle));
    EXPECT_LT(offsetof(ResourceCopier, threadHandle), offsetof(ResourceCopier, callback));
    EXPECT_LT(offsetof(ResourceCopier, callback), offsetof(ResourceCopier, stopRequested));
    EXPECT_LT(offsetof(ResourceCopier, stopRequested), offsetof(ResourceCopier, specifier));
    EXPECT_LT(offsetof(ResourceCopier, specifier), offsetof(ResourceCopier, targetPath));
    EXPECT_LT(offsetof(ResourceCopier, targetPath), offsetof(ResourceCopier, failureCallback));
}

TEST(CopierState, SetCallbacksOnAnIdleCopier)
{
    ResourceCopier copier;
    EXPECT_TRUE(copier.SetProgressCallback(RecordProgress) == NULL);
    EXPECT_TRUE(copier.callback == RecordProgress);
    EXPECT_TRUE(copier.SetProgressCallback(OtherProgress) == RecordProgress);
    EXPECT_TRUE(copier.callback == OtherProgress);
    EXPECT_TRUE(copier.SetFailureCallback(RecordFailure) == NULL);
    EXPECT_TRUE(copier.failureCallback == RecordFailure);
    EXPECT_TRUE(copier.SetFailureCallback(OtherFailure) == RecordFailure);
    EXPECT_TRUE(copier.failureCallback == OtherFailure);
    EXPECT_TRUE(copier.callback == OtherProgress);
}

TEST_F(CopierTest, CallbacksRefusedWhileAWorkerWrites)
{
    Probe.holdAtReport = 5;
    std::string target = folder.Child("system.xp3");
    ASSERT_EQ(1, copier.StartCopy("%BINARY%ID_SYSTEM_XP3", target.c_str()));
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(Probe.heldEvent, 20000));
    EXPECT_TRUE(copier.SetProgressCallback(OtherProgress) == NULL);
    EXPECT_TRUE(copier.callback == RecordProgress);
    EXPECT_TRUE(copier.SetFailureCallback(OtherFailure) == NULL);
    EXPECT_TRUE(copier.failureCallback == RecordFailure);
    SetEvent(Probe.releaseEvent);
    ASSERT_TRUE(WaitForWorker(copier, 60000));
    EXPECT_EQ(CountingReports(100), Probe.reports) << Describe(Probe.reports);
}

TEST_F(CopierTest, StopCopyAfterTheWorkerEndedByItself)
{
    std::string target = folder.Child("system.xp3.sig");
    ASSERT_EQ(1, copier.StartCopy("%BINARY%ID_SYSTEM_SIG", target.c_str()));
    ASSERT_TRUE(WaitForWorker(copier, 20000));
    // Ended, but the handle is still held: callbacks are still refused.
    EXPECT_TRUE(copier.threadHandle != NULL);
    EXPECT_NE(0u, copier.threadId);
    EXPECT_TRUE(copier.SetProgressCallback(OtherProgress) == NULL);
    EXPECT_TRUE(copier.callback == RecordProgress);
    EXPECT_TRUE(copier.SetFailureCallback(OtherFailure) == NULL);
    EXPECT_TRUE(copier.failureCallback == RecordFailure);
    copier.StopCopy();
    EXPECT_TRUE(copier.threadHandle == NULL);
    EXPECT_EQ(0u, copier.threadId);
    EXPECT_FALSE(copier.stopRequested);
    // The last copy's strings stay until the next copy.
    EXPECT_STREQ("%BINARY%ID_SYSTEM_SIG", copier.specifier);
    EXPECT_EQ(target, copier.targetPath);
    EXPECT_TRUE(copier.SetProgressCallback(OtherProgress) == RecordProgress);
    EXPECT_TRUE(copier.SetFailureCallback(OtherFailure) == RecordFailure);
    copier.StopCopy();
    EXPECT_TRUE(copier.threadHandle == NULL);
    EXPECT_EQ(114u, Probe.reports.size());
}

TEST_F(CopierTest, StartCopyWhileAWorkerWrites)
{
    // The first copy is held after its report of 10; the second StartCopy
    // must stop it (its stop request releases the hold), join it, and only
    // then start the second copy.
    Probe.holdAtReport = 10;
    std::string first = folder.Child("system.xp3");
    std::string second = folder.Child("system.xp3.sig");
    ASSERT_EQ(1, copier.StartCopy("%BINARY%ID_SYSTEM_XP3", first.c_str()));
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(Probe.heldEvent, 20000));
    ASSERT_EQ(1, copier.StartCopy("%BINARY%ID_SYSTEM_SIG", second.c_str()));
    ASSERT_TRUE(WaitForWorker(copier, 20000));
    copier.StopCopy();

    std::vector<unsigned> expected = CountingReports(10);
    std::vector<unsigned> sig = ExpectedReports(114);
    expected.insert(expected.end(), sig.begin(), sig.end());
    EXPECT_EQ(expected, Probe.reports) << "actual " << Describe(Probe.reports);
    EXPECT_TRUE(Probe.failures.empty()) << "a stopped copy is not a failure";
    EXPECT_FALSE(PathPresent(first)) << "a stopped copy leaves no target";
    std::string written;
    ASSERT_TRUE(ReadFileBytes(second, &written));
    EXPECT_TRUE(ResourceBytes("ID_SYSTEM_SIG") == written);
    EXPECT_EQ("system.xp3.sig", ListFolder(folder.Path()));
}

TEST_F(CopierTest, AfterStopCopyTheNextCopyRunsInFull)
{
    Probe.holdAtReport = 50;
    std::string target = folder.Child("system.xp3");
    ASSERT_EQ(1, copier.StartCopy("%BINARY%ID_SYSTEM_XP3", target.c_str()));
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(Probe.heldEvent, 20000));
    copier.StopCopy();
    EXPECT_FALSE(copier.stopRequested);
    EXPECT_TRUE(copier.threadHandle == NULL);
    EXPECT_EQ(CountingReports(50), Probe.reports) << Describe(Probe.reports);

    ResetProbe(&copier);
    ASSERT_EQ(1, copier.StartCopy("%BINARY%ID_SYSTEM_XP3", target.c_str()));
    ASSERT_TRUE(WaitForWorker(copier, 60000));
    copier.StopCopy();
    EXPECT_EQ(CountingReports(100), Probe.reports) << Describe(Probe.reports);
    std::string written;
    ASSERT_TRUE(ReadFileBytes(target, &written));
    EXPECT_TRUE(ResourceBytes("ID_SYSTEM_XP3") == written);
}

TEST_F(CopierTest, StringsOf260BytesOrMoreAreRefused)
{
    // A held worker shows that a refused StartCopy changes nothing at all.
    Probe.holdAtReport = 3;
    std::string target = folder.Child("system.xp3");
    ASSERT_EQ(1, copier.StartCopy("%BINARY%ID_SYSTEM_XP3", target.c_str()));
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(Probe.heldEvent, 20000));
    HANDLE worker = copier.threadHandle;
    char *specifier = copier.specifier;
    char *targetPath = copier.targetPath;

    std::string longSpecifier = "%BINARY%" + std::string(252, 'N');
    std::string longTarget = folder.Path() + "\\" + std::string(260 - folder.Path().size() - 1, 'f');
    ASSERT_EQ(260u, longSpecifier.size());
    ASSERT_EQ(260u, longTarget.size());
    static const struct { const char *label; int specifier; int target; } cases[] = {
        {"260-byte specifier", 1, 0}, {"260-byte target", 0, 1}, {"both", 1, 1},
        {"NULL specifier", 2, 0}, {"NULL target", 0, 2},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.label);
        const char *s = c.specifier == 1 ? longSpecifier.c_str() : c.specifier == 2 ? NULL : "%BINARY%ID_SYSTEM_SIG";
        const char *t = c.target == 1 ? longTarget.c_str() : c.target == 2 ? NULL : target.c_str();
        EXPECT_EQ(0, copier.StartCopy(s, t));
        EXPECT_TRUE(copier.threadHandle == worker);
        EXPECT_TRUE(copier.specifier == specifier);
        EXPECT_TRUE(copier.targetPath == targetPath);
        EXPECT_STREQ("%BINARY%ID_SYSTEM_XP3", copier.specifier);
        EXPECT_EQ(target, copier.targetPath);
        EXPECT_FALSE(copier.stopRequested);
        EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(worker, 0)) << "the worker was stopped";
    }
    SetEvent(Probe.releaseEvent);
    ASSERT_TRUE(WaitForWorker(copier, 60000));
    copier.StopCopy();
    EXPECT_EQ(CountingReports(100), Probe.reports) << Describe(Probe.reports);

    // 259 bytes fit the buffers and are accepted.
    ResetProbe(&copier);
    std::string fits = "%BINARY%" + std::string(251, 'N');
    ASSERT_EQ(259u, fits.size());
    ASSERT_EQ(1, copier.StartCopy(fits.c_str(), target.c_str()));
    ASSERT_TRUE(WaitForWorker(copier, 20000));
    copier.StopCopy();
    EXPECT_STREQ(fits.c_str(), copier.specifier);
    EXPECT_TRUE(Probe.reports.empty());
    EXPECT_EQ(1u, Probe.failures.size());
}

// A progress callback that, like the dialog's, sends a message to a window
// of the thread that later calls StopCopy.
namespace {
HWND sendTarget = NULL;
LONG sentServed = 0;
HANDLE aboutToSend = NULL;
HANDLE stopReturned = NULL;

LRESULT CALLBACK SendTargetProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_APP) {
        InterlockedIncrement(&sentServed);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// Two sends per report: the first is already waiting when StopCopy starts,
// the second arrives while StopCopy waits.
int SendingProgress(unsigned int percent)
{
    RecordProgress(percent);
    SetEvent(aboutToSend);
    SendMessageA(sendTarget, WM_APP, percent, 0);
    SendMessageA(sendTarget, WM_APP, percent, 1);
    return 0;
}

// The test cannot recover from a deadlocked StopCopy; rather than hang
// until CTest's timeout, end the process with a clear message.
DWORD WINAPI Watchdog(LPVOID)
{
    if (WaitForSingleObject(stopReturned, 20000) == WAIT_TIMEOUT) {
        fprintf(stderr, "StopCopy did not return within 20 s while the worker "
                        "sent a message to the stopping thread: deadlock\n");
        fflush(stderr);
        TerminateProcess(GetCurrentProcess(), 3);
    }
    return 0;
}
} // namespace

TEST_F(CopierTest, StopCopyServesAMessageTheWorkerSendsToTheCaller)
{
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = SendTargetProc;
    windowClass.hInstance = GetModuleHandleA(NULL);
    windowClass.lpszClassName = "CopierSendTarget";
    ASSERT_NE(0, RegisterClassA(&windowClass)) << GetLastError();
    sendTarget = CreateWindowExA(0, "CopierSendTarget", "", 0, 0, 0, 0, 0, HWND_MESSAGE, NULL,
                                 windowClass.hInstance, NULL);
    ASSERT_TRUE(sendTarget != NULL) << GetLastError();
    aboutToSend = CreateEventA(NULL, TRUE, FALSE, NULL);
    stopReturned = CreateEventA(NULL, TRUE, FALSE, NULL);
    sentServed = 0;

    copier.SetProgressCallback(SendingProgress);
    std::string target = folder.Child("system.xp3");
    ASSERT_EQ(1, copier.StartCopy("%BINARY%ID_SYSTEM_XP3", target.c_str()));
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(aboutToSend, 20000));
    // Wait until the send is really pending on this thread. Looking at the
    // queue also marks the message as seen, which a wait for new messages
    // alone would then miss.
    int pending = 0;
    for (int waited = 0; waited < 20000 && !pending; ++waited) {
        pending = (HIWORD(GetQueueStatus(QS_SENDMESSAGE)) & QS_SENDMESSAGE) != 0;
        if (!pending)
            Sleep(1);
    }
    ASSERT_TRUE(pending) << "the worker's SendMessage never arrived";
    EXPECT_EQ(0, sentServed);
    // A posted message must stay queued: only sent messages are served.
    ASSERT_TRUE(PostMessageA(sendTarget, WM_APP + 1, 0, 0));

    HANDLE watchdog = CreateThread(NULL, 0, Watchdog, NULL, 0, NULL);
    copier.StopCopy();
    SetEvent(stopReturned);
    WaitForSingleObject(watchdog, INFINITE);
    CloseHandle(watchdog);

    EXPECT_EQ(2, sentServed);
    EXPECT_TRUE(copier.threadHandle == NULL);
    EXPECT_EQ(std::vector<unsigned>{0}, Probe.reports) << Describe(Probe.reports);
    EXPECT_TRUE(Probe.failures.empty());
    MSG message;
    EXPECT_TRUE(PeekMessageA(&message, sendTarget, WM_APP + 1, WM_APP + 1, PM_REMOVE))
        << "StopCopy removed a posted message";
    EXPECT_FALSE(PathPresent(target));
    EXPECT_EQ("", ListFolder(folder.Path()));

    DestroyWindow(sendTarget);
    UnregisterClassA("CopierSendTarget", windowClass.hInstance);
    CloseHandle(aboutToSend);
    CloseHandle(stopReturned);
}

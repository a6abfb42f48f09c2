// Copies that cannot or must not complete. Whatever goes wrong, the old
// target stays byte for byte as it was (or absent if it was absent), no
// temporary file is left behind (except by a killed process, whose leftover
// the next copy consumes), 100 is never reported, and a failure is reported
// exactly once unless a stop request ended the copy.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "payload/resource_copier.h"
#include "tests/payload/copier_probe.h"
#include "tests/support/file_bytes.h"
#include "tests/support/temp_folder.h"

namespace {

// An "older system.xp3": shorter than the new archive, and unlike it.
std::string OldBytes()
{
    std::string bytes = "old archive, must survive\r\n";
    while (bytes.size() < 300000)
        bytes += (char)(bytes.size() * 7);
    return bytes;
}

class CopierFaultTest : public testing::Test {
protected:
    void SetUp() override
    {
        ResetProbe(&copier);
        copier.SetProgressCallback(RecordProgress);
        copier.SetFailureCallback(RecordFailure);
        old = OldBytes();
        dir = folder.Child("ころもり");
        ASSERT_TRUE(CreateDirectoryA(dir.c_str(), NULL)) << GetLastError();
        target = dir + "\\system.xp3";
    }

    // Runs one copy of the archive (or of specifier) to its end.
    void CopyToEnd(const char *specifier = "%BINARY%ID_SYSTEM_XP3")
    {
        ASSERT_EQ(1, copier.StartCopy(specifier, target.c_str()));
        ASSERT_TRUE(WaitForWorker(copier, 60000)) << "the copy did not end";
        DWORD exitCode = 0;
        GetExitCodeThread(copier.threadHandle, &exitCode);
        EXPECT_EQ(0xFFFFFFFFu, exitCode);
        copier.StopCopy();
    }

    void ExpectOldTargetAlone()
    {
        std::string now;
        ASSERT_TRUE(ReadFileBytes(target, &now)) << "the old target is gone";
        EXPECT_EQ(old.size(), now.size());
        EXPECT_TRUE(old == now) << "the old target was changed";
        EXPECT_EQ("system.xp3", ListFolder(dir)) << "a temporary file was left";
    }

    void ExpectNoHundred()
    {
        for (unsigned percent : Probe.reports)
            EXPECT_NE(100u, percent) << Describe(Probe.reports);
    }

    TempFolder folder{"copierfault"};
    ResourceCopier copier;
    std::string old, dir, target;
};

std::string Quoted(const std::string &text) { return "\"" + text + "\""; }

} // namespace

TEST_F(CopierFaultTest, MissingResources)
{
    static const struct {
        const char *specifier;
        DWORD error;
        int oldTarget;
    } cases[] = {
        {"%BINARY%NO_SUCH_PAYLOAD", ERROR_RESOURCE_NAME_NOT_FOUND, 0},
        {"%BINARY%NO_SUCH_PAYLOAD", ERROR_RESOURCE_NAME_NOT_FOUND, 1},
        {"%NO_SUCH_TYPE%ID_SYSTEM_XP3", ERROR_RESOURCE_TYPE_NOT_FOUND, 0},
        {"%%BINARY%%ID_SYSTEM_XP3", ERROR_RESOURCE_TYPE_NOT_FOUND, 1},
        {"BINARY", ERROR_RESOURCE_NAME_NOT_FOUND, 0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(std::string(c.specifier) + (c.oldTarget ? ", old target" : ", no target"));
        ResetProbe(&copier);
        RemoveTree(target);
        if (c.oldTarget) {
            ASSERT_TRUE(WriteFileBytes(target, old));
        }
        CopyToEnd(c.specifier);
        EXPECT_TRUE(Probe.reports.empty()) << Describe(Probe.reports);
        EXPECT_EQ(std::vector<unsigned>{c.error}, Probe.failures) << Describe(Probe.failures);
        if (c.oldTarget)
            ExpectOldTargetAlone();
        else
            EXPECT_EQ("", ListFolder(dir)) << "a file was made";
    }
}

TEST_F(CopierFaultTest, TargetHeldOpenByAnotherProcess)
{
    ASSERT_TRUE(WriteFileBytes(target, old));
    std::string readyName = UniqueEventName("ready"), releaseName = UniqueEventName("release");
    HANDLE ready = CreateEventA(NULL, TRUE, FALSE, readyName.c_str());
    HANDLE release = CreateEventA(NULL, TRUE, FALSE, releaseName.c_str());
    HANDLE child = StartChild("lock " + Quoted(target) + " " + readyName + " " + releaseName);
    ASSERT_TRUE(child != NULL) << "cannot start copier_child.exe, error " << GetLastError();
    HANDLE waits[2] = {ready, child};
    ASSERT_EQ(WAIT_OBJECT_0, WaitForMultipleObjects(2, waits, FALSE, 20000))
        << "the other process did not open the target";

    CopyToEnd();
    EXPECT_TRUE(Probe.reports.empty()) << Describe(Probe.reports);
    EXPECT_EQ(std::vector<unsigned>{ERROR_SHARING_VIOLATION}, Probe.failures)
        << Describe(Probe.failures);
    EXPECT_EQ("system.xp3", ListFolder(dir)) << "a temporary file was left";

    // Released (the target can then be read again), it is the old file...
    SetEvent(release);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(child, 20000));
    DWORD exitCode = 99;
    GetExitCodeProcess(child, &exitCode);
    EXPECT_EQ(0u, exitCode);
    CloseHandle(child);
    CloseHandle(ready);
    CloseHandle(release);
    ExpectOldTargetAlone();

    // ...and the same copy now goes through.
    ResetProbe(&copier);
    ASSERT_EQ(1, copier.StartCopy("%BINARY%ID_SYSTEM_XP3", target.c_str()));
    ASSERT_TRUE(WaitForWorker(copier, 60000));
    copier.StopCopy();
    EXPECT_EQ(CountingReports(100), Probe.reports) << Describe(Probe.reports);
    std::string now;
    ASSERT_TRUE(ReadFileBytes(target, &now));
    EXPECT_TRUE(ResourceBytes("ID_SYSTEM_XP3") == now);
}

TEST_F(CopierFaultTest, ReadOnlyTarget)
{
    // As root, Wine would let the copy replace a read-only file; the copier
    // checks the attribute itself.
    ASSERT_TRUE(WriteFileBytes(target, old));
    ASSERT_TRUE(SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_READONLY)) << GetLastError();
    ASSERT_NE(0u, GetFileAttributesA(target.c_str()) & FILE_ATTRIBUTE_READONLY)
        << "Wine did not keep the read-only attribute";
    CopyToEnd();
    EXPECT_TRUE(Probe.reports.empty()) << Describe(Probe.reports);
    EXPECT_EQ(std::vector<unsigned>{ERROR_ACCESS_DENIED}, Probe.failures) << Describe(Probe.failures);
    ExpectOldTargetAlone();
    EXPECT_NE(0u, GetFileAttributesA(target.c_str()) & FILE_ATTRIBUTE_READONLY);
}

namespace {
HANDLE lateHolder = INVALID_HANDLE_VALUE;
const char *lateTarget = NULL;

// At the report of 99, the archive's last full chunk, someone opens the
// target without sharing: the replacement that follows must fail.
void OpenTargetBeforeTheLastChunk(size_t, unsigned percent)
{
    if (percent == 99 && lateHolder == INVALID_HANDLE_VALUE)
        lateHolder = CreateFileA(lateTarget, GENERIC_READ, 0, NULL, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, NULL);
}
} // namespace

TEST_F(CopierFaultTest, TargetOpenedBeforeTheReplacement)
{
    ASSERT_TRUE(WriteFileBytes(target, old));
    lateHolder = INVALID_HANDLE_VALUE;
    lateTarget = target.c_str();
    Probe.onReport = OpenTargetBeforeTheLastChunk;
    CopyToEnd();
    ASSERT_TRUE(lateHolder != INVALID_HANDLE_VALUE) << "the test could not open the target";
    EXPECT_EQ(CountingReports(99), Probe.reports) << Describe(Probe.reports);
    ASSERT_EQ(1u, Probe.failures.size()) << Describe(Probe.failures);
    EXPECT_TRUE(Probe.failures[0] == ERROR_SHARING_VIOLATION || Probe.failures[0] == ERROR_ACCESS_DENIED)
        << "error " << Probe.failures[0];
    CloseHandle(lateHolder);
    lateHolder = INVALID_HANDLE_VALUE;
    ExpectOldTargetAlone();
}

TEST_F(CopierFaultTest, MissingFolder)
{
    target = dir + "\\absent\\system.xp3";
    CopyToEnd();
    EXPECT_TRUE(Probe.reports.empty()) << Describe(Probe.reports);
    EXPECT_EQ(std::vector<unsigned>{ERROR_PATH_NOT_FOUND}, Probe.failures) << Describe(Probe.failures);
    EXPECT_EQ("", ListFolder(dir));
}

TEST_F(CopierFaultTest, TemporaryNameMustFitAPathBuffer)
{
    // The temporary name is the target's path plus 4 bytes, so a target of
    // 255 bytes is the longest that can be copied.
    std::string longDir = folder.Path() + "\\" + std::string(244 - folder.Path().size() - 1, 'd');
    ASSERT_EQ(244u, longDir.size());
    ASSERT_TRUE(CreateDirectoryA(longDir.c_str(), NULL)) << GetLastError();
    static const struct { const char *file; int copied; } cases[] = {
        {"system.xp3", 1},  // 255 bytes
        {"system.xp3x", 0}, // 256 bytes
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.file);
        ResetProbe(&copier);
        target = longDir + "\\" + c.file;
        ASSERT_EQ(c.copied ? 255u : 256u, target.size());
        ASSERT_EQ(1, copier.StartCopy("%BINARY%ID_SYSTEM_SIG", target.c_str()));
        ASSERT_TRUE(WaitForWorker(copier, 20000));
        copier.StopCopy();
        if (c.copied) {
            EXPECT_EQ(ExpectedReports(114), Probe.reports) << Describe(Probe.reports);
            EXPECT_TRUE(Probe.failures.empty());
            std::string now;
            EXPECT_TRUE(ReadFileBytes(target, &now));
            EXPECT_TRUE(ResourceBytes("ID_SYSTEM_SIG") == now);
            EXPECT_EQ("system.xp3", ListFolder(longDir));
        } else {
            EXPECT_TRUE(Probe.reports.empty()) << Describe(Probe.reports);
            EXPECT_EQ(std::vector<unsigned>{ERROR_FILENAME_EXCED_RANGE}, Probe.failures);
            EXPECT_EQ("system.xp3", ListFolder(longDir)) << "only the earlier copy";
        }
    }
}

TEST_F(CopierFaultTest, StopCopyDuringACopy)
{
    ASSERT_TRUE(WriteFileBytes(target, old));
    Probe.holdAtReport = 50;
    ASSERT_EQ(1, copier.StartCopy("%BINARY%ID_SYSTEM_XP3", target.c_str()));
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(Probe.heldEvent, 20000));
    EXPECT_TRUE(PathPresent(target + TEMPORARY_SUFFIX)) << "the copy writes beside the target";
    copier.StopCopy();
    EXPECT_EQ(CountingReports(50), Probe.reports) << Describe(Probe.reports);
    EXPECT_TRUE(Probe.failures.empty()) << "a stop is not a failure";
    ExpectOldTargetAlone();
}

TEST_F(CopierFaultTest, StopByDestroyingTheCopier)
{
    ASSERT_TRUE(WriteFileBytes(target, old));
    {
        ResourceCopier doomed;
        ResetProbe(&doomed);
        Probe.holdAtReport = 30;
        doomed.SetProgressCallback(RecordProgress);
        doomed.SetFailureCallback(RecordFailure);
        ASSERT_EQ(1, doomed.StartCopy("%BINARY%ID_SYSTEM_XP3", target.c_str()));
        ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(Probe.heldEvent, 20000));
    }
    Probe.watched = NULL;
    EXPECT_EQ(CountingReports(30), Probe.reports) << Describe(Probe.reports);
    EXPECT_TRUE(Probe.failures.empty());
    ExpectOldTargetAlone();
}

TEST_F(CopierFaultTest, StopAtProcessExit)
{
    // The child's main returns while its worker is inside a report at 50%;
    // the process-wide copier's destruction must stop the copy.
    ASSERT_TRUE(WriteFileBytes(target, old));
    std::string reachedName = UniqueEventName("reached");
    HANDLE reached = CreateEventA(NULL, TRUE, FALSE, reachedName.c_str());
    HANDLE child = StartChild("exit %BINARY%ID_SYSTEM_XP3 " + Quoted(target) + " 50 " + reachedName);
    ASSERT_TRUE(child != NULL) << "cannot start copier_child.exe, error " << GetLastError();
    HANDLE waits[2] = {reached, child};
    EXPECT_EQ(WAIT_OBJECT_0, WaitForMultipleObjects(2, waits, FALSE, 20000))
        << "the child's copy never reached 50%";
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(child, 20000)) << "the child did not exit";
    DWORD exitCode = 0;
    GetExitCodeProcess(child, &exitCode);
    EXPECT_EQ(7u, exitCode) << "main did not return normally";
    CloseHandle(child);
    CloseHandle(reached);
    ExpectOldTargetAlone();
}

TEST_F(CopierFaultTest, ProcessKilledMidCopy)
{
    ASSERT_TRUE(WriteFileBytes(target, old));
    std::string reachedName = UniqueEventName("reached");
    HANDLE reached = CreateEventA(NULL, TRUE, FALSE, reachedName.c_str());
    HANDLE child = StartChild("hold %BINARY%ID_SYSTEM_XP3 " + Quoted(target) + " 50 " + reachedName);
    ASSERT_TRUE(child != NULL) << "cannot start copier_child.exe, error " << GetLastError();
    HANDLE waits[2] = {reached, child};
    EXPECT_EQ(WAIT_OBJECT_0, WaitForMultipleObjects(2, waits, FALSE, 20000))
        << "the child's copy never reached 50%";
    ASSERT_TRUE(TerminateProcess(child, 9)) << GetLastError();
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(child, 20000));
    CloseHandle(child);
    CloseHandle(reached);

    // The target is the old file, whole. The killed process could not
    // remove its half-written temporary file...
    std::string now;
    ASSERT_TRUE(ReadFileBytes(target, &now));
    EXPECT_TRUE(old == now) << "the old target was changed";
    std::string leftover;
    ASSERT_TRUE(ReadFileBytes(target + TEMPORARY_SUFFIX, &leftover))
        << "expected the killed copy's temporary file";
    EXPECT_LT(leftover.size(), ResourceBytes("ID_SYSTEM_XP3").size());

    // ...which the next copy to the same target reuses and puts in place.
    ASSERT_EQ(1, copier.StartCopy("%BINARY%ID_SYSTEM_XP3", target.c_str()));
    ASSERT_TRUE(WaitForWorker(copier, 60000));
    copier.StopCopy();
    EXPECT_EQ(CountingReports(100), Probe.reports) << Describe(Probe.reports);
    ASSERT_TRUE(ReadFileBytes(target, &now));
    EXPECT_TRUE(ResourceBytes("ID_SYSTEM_XP3") == now);
    EXPECT_EQ("system.xp3", ListFolder(dir));
}

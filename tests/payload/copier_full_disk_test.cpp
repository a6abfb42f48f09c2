// A copy onto a full disk: drive Q: is a 1 MiB tmpfs mapped into the Wine
// prefix by the test fixture (see full_disk_drive.sh), too small for the
// archive. The write fails part way; the old file must survive whole.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "payload/resource_copier.h"
#include "tests/payload/copier_probe.h"
#include "tests/support/file_bytes.h"
#include "tests/support/temp_folder.h"

TEST(CopierFullDisk, OldFileSurvivesAWriteFailure)
{
    if (GetFileAttributesA("Q:\\") == INVALID_FILE_ATTRIBUTES)
        GTEST_SKIP() << "drive Q: is not mapped: the fixture mounts a 1 MiB tmpfs for it only "
                        "when run as root (see tests/payload/full_disk_drive.sh)";
    ULARGE_INTEGER freeBytes, totalBytes;
    ASSERT_TRUE(GetDiskFreeSpaceExA("Q:\\", NULL, &totalBytes, NULL)) << GetLastError();
    std::string payload = ResourceBytes("ID_SYSTEM_XP3");
    ASSERT_LT(totalBytes.QuadPart, (ULONGLONG)payload.size()) << "drive Q: is not small";

    TempFolder folder = TempFolder::At("Q:\\copier");
    std::string target = folder.Child("system.xp3");
    std::string old(200000, '\x5A');
    ASSERT_TRUE(WriteFileBytes(target, old));
    ASSERT_TRUE(GetDiskFreeSpaceExA("Q:\\", &freeBytes, NULL, NULL)) << GetLastError();

    ResourceCopier copier;
    ResetProbe(&copier);
    copier.SetProgressCallback(RecordProgress);
    copier.SetFailureCallback(RecordFailure);
    ASSERT_EQ(1, copier.StartCopy("%BINARY%ID_SYSTEM_XP3", target.c_str()));
    ASSERT_TRUE(WaitForWorker(copier, 60000));
    copier.StopCopy();

    EXPECT_EQ(std::vector<unsigned>{ERROR_DISK_FULL}, Probe.failures) << Describe(Probe.failures);
    ASSERT_FALSE(Probe.reports.empty()) << "the disk was full before the first chunk";
    EXPECT_LT(Probe.reports.back(), 100u) << Describe(Probe.reports);
    std::string now;
    ASSERT_TRUE(ReadFileBytes(target, &now));
    EXPECT_TRUE(old == now) << "the old file was changed";
    EXPECT_EQ("system.xp3", ListFolder(folder.Path())) << "the temporary file was left";
    ULARGE_INTEGER freeAfter;
    ASSERT_TRUE(GetDiskFreeSpaceExA("Q:\\", &freeAfter, NULL, NULL));
    EXPECT_EQ(freeBytes.QuadPart, freeAfter.QuadPart)
        << "the temporary file's space was not given back";
}

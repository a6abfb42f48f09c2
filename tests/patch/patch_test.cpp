// The whole patch with the real installer, driven from this process as a
// person would: the default folder patched at once, the folder prompt and
// browser when it is missing, and folders that can be chosen there (one
// that needs its backslash, one whose name ends in the two-byte ソ, a drive
// root that already ends in a backslash).
#include "tests/patch/installer_session.h"

#include "res/resource.h"
#include "tests/support/file_bytes.h"
#include "tests/support/test_paths.h"

namespace {

class PatchTest : public InstallerSession {};

TEST_F(PatchTest, DefaultFolderIsPatchedWithoutLookingForTheProgram)
{
    // No vomel.exe there: with the default folder present nobody asks for it.
    ASSERT_NO_FATAL_FAILURE(MakeDefaultFolderWithOlderFiles());
    ASSERT_NO_FATAL_FAILURE(Launch(TestPatchExePath()));
    EXPECT_EQ(IdleView().Text(), Current().Text());
    Screenshot(dialog, "patch-idle");

    ASSERT_TRUE(PressButton(dialog, IDOK));
    ASSERT_NO_FATAL_FAILURE(ExpectCompletion(DefaultFolder, "patch"));
    ExpectPayloadsIn(DefaultFolder, "system.xp3,system.xp3.sig");
    ExitWithCode1();
}

TEST_F(PatchTest, PromptComesBackUntilTheProgramIsFoundAndCancelLeavesTheDialogIdle)
{
    TempFolder withoutProgram{"patchnoexe"};
    ASSERT_NO_FATAL_FAILURE(Launch(TestPatchExePath()));
    ASSERT_TRUE(PressButton(dialog, IDOK));

    HWND browser = NULL;
    ASSERT_NO_FATAL_FAILURE(AnswerPrompt(&browser));
    Screenshot(browser, "patch-browser");
    ASSERT_NO_FATAL_FAILURE(ChooseFolder(browser, withoutProgram.Path()));
    // No vomel.exe in it: asked again, and this time cancelled.
    ASSERT_NO_FATAL_FAILURE(AnswerPrompt(&browser));
    ASSERT_NO_FATAL_FAILURE(Answer(browser, IDCANCEL));
    ExpectViewSoon(IdleView());
    EXPECT_TRUE(OwnedWindows(dialog).empty()) << "a window is still open";

    // The cancelled browser left no folder behind: the next press asks again.
    ASSERT_TRUE(PressButton(dialog, IDOK));
    ASSERT_NO_FATAL_FAILURE(AnswerPrompt(&browser));
    ASSERT_NO_FATAL_FAILURE(Answer(browser, IDCANCEL));
    ExpectViewSoon(IdleView());

    EXPECT_EQ("", ListFolder(withoutProgram.Path())) << "something was written";
    EXPECT_FALSE(PathPresent(DefaultRoot));
    ExitWithCode1();
}

// A folder chosen in the browser, holding vomel.exe.
struct ChosenFolder {
    const char *name;
    const char *leaf;   // made in a fresh temporary folder; NULL: the drive root
    const char *listingBefore;  // what is in it besides vomel.exe, for the listing
};

// The drive of the CTest fixture (tests/patch/drive_root.sh), marked with
// this file so a P: of someone else's is never written into.
const char TestDrive[] = "P:\\";
const char TestDriveMarker[] = "patch-test-drive";

const ChosenFolder ChosenFolders[] = {
    {"PlainFolder", "Game", ""},
    // ソ is 0x83 0x5C: the name ends in a byte that looks like a backslash.
    {"NameEndingInSo", "ころもりソ", ""},
    {"DriveRoot", NULL, "patch-test-drive,"},
};

void PrintTo(const ChosenFolder &row, std::ostream *out)
{
    *out << row.name;
}

std::string ChosenFolderName(const ::testing::TestParamInfo<ChosenFolder> &info)
{
    return info.param.name;
}

class PatchChosenFolder : public PatchTest, public ::testing::WithParamInterface<ChosenFolder> {
protected:
    void TearDown() override
    {
        PatchTest::TearDown();
        if (!GetParam().leaf && PathPresent(JoinedPath(TestDrive, TestDriveMarker)))
            for (const char *name : {"vomel.exe", "system.xp3", "system.xp3.sig"})
                RemoveTree(JoinedPath(TestDrive, name));
    }
    TempFolder base{"patchpick"};
};

TEST_P(PatchChosenFolder, IsPatchedWithOneBackslashBeforeTheFileNames)
{
    const ChosenFolder &row = GetParam();
    std::string folder = TestDrive;
    if (row.leaf) {
        folder = base.Child(row.leaf);
        ASSERT_TRUE(CreateDirectoryA(folder.c_str(), NULL)) << folder << " error " << GetLastError();
    } else {
        ASSERT_TRUE(PathPresent(JoinedPath(TestDrive, TestDriveMarker)))
            << "drive P: is not the test drive of tests/patch/drive_root.sh";
    }
    ASSERT_TRUE(WriteFileBytes(JoinedPath(folder, "vomel.exe"), "the target program"));

    ASSERT_NO_FATAL_FAILURE(Launch(TestPatchExePath()));
    ASSERT_TRUE(PressButton(dialog, IDOK));
    HWND browser = NULL;
    ASSERT_NO_FATAL_FAILURE(AnswerPrompt(&browser));
    ASSERT_NO_FATAL_FAILURE(ChooseFolder(browser, folder));

    // JoinedPath puts exactly one backslash between folder and name.
    ASSERT_NO_FATAL_FAILURE(ExpectCompletion(folder, (std::string("patch-") + row.name).c_str()));
    ExpectPayloadsIn(folder, std::string(row.listingBefore) + "system.xp3,system.xp3.sig,vomel.exe");
    std::string program;
    EXPECT_TRUE(ReadFileBytes(JoinedPath(folder, "vomel.exe"), &program));
    EXPECT_EQ("the target program", program);
    EXPECT_FALSE(PathPresent(DefaultRoot)) << "the default folder was made";
    ExitWithCode1();
}

INSTANTIATE_TEST_SUITE_P(Folders, PatchChosenFolder, ::testing::ValuesIn(ChosenFolders), ChosenFolderName);

}  // namespace

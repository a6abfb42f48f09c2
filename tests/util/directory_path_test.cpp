// CreateDirectoryPath against real folders in the prefix's temp folder. The
// creation hook records which prefixes the walk tried to make, in order, and
// in the race cases makes a prefix appear between the walk's test and its
// creation, as another process would.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/support/file_bytes.h"
#include "tests/support/temp_folder.h"
#include "util/dbcs_search.h"
#include "util/directory_path.h"
#include "util/path_checks.h"

namespace {

enum RaceMode { RaceNone, RaceMakesFolder, RaceMakesFile };

std::vector<std::string> creations;  // prefixes the walk went to create
std::string raceTarget;              // the prefix the race acts on
RaceMode raceMode = RaceNone;
int raceDone = 0;

void RecordCreation(const char *prefix)
{
    creations.push_back(prefix);
    if (raceMode == RaceNone || raceTarget != prefix)
        return;
    if (raceMode == RaceMakesFolder)
        raceDone = CreateDirectoryA(prefix, NULL) ? 1 : 0;
    else
        raceDone = WriteFileBytes(prefix, "race");
}

class DirectoryPathTest : public ::testing::Test {
protected:
    TempFolder folder{"dp"};
    std::string base;
    char savedDirectory[MAX_PATH] = "";

    void SetUp() override
    {
        base = folder.Path();
        creations.clear();
        raceMode = RaceNone;
        raceTarget.clear();
        raceDone = 0;
        BeforeCreatePrefix = RecordCreation;
        DWORD n = GetCurrentDirectoryA(sizeof(savedDirectory), savedDirectory);
        ASSERT_TRUE(n > 0 && n < sizeof(savedDirectory)) << "error " << GetLastError();
    }
    void TearDown() override
    {
        BeforeCreatePrefix = NULL;
        SetCurrentDirectoryA(savedDirectory);
    }

    // The creations the walk made at or below the test folder, in order.
    std::string CreationsBelowBase() const
    {
        std::string all;
        for (const std::string &c : creations) {
            if (c.compare(0, base.size(), base) == 0)
                all += (all.empty() ? "" : "|") + c.substr(base.size());
        }
        return all;
    }
    // The creations the walk made anywhere, in order.
    static std::string AllCreations()
    {
        std::string all;
        for (const std::string &c : creations)
            all += (all.empty() ? "[" : "|[") + c + "]";
        return all;
    }
    static int IsFolder(const std::string &path)
    {
        DWORD attributes = GetFileAttributesA(path.c_str());
        return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
    }
};

TEST_F(DirectoryPathTest, TrailingBackslashMakesEveryFolderInOrder)
{
    SetLastError(0xdeadbeef);
    int result = CreateDirectoryPath((base + "\\new\\sub\\").c_str());
    EXPECT_NE(0, result) << "error " << GetLastError() << ", tried " << AllCreations();
    EXPECT_EQ("\\new|\\new\\sub", CreationsBelowBase());
    EXPECT_EQ("new", ListFolder(base));
    EXPECT_EQ("sub", ListFolder(base + "\\new"));
    EXPECT_EQ("", ListFolder(base + "\\new\\sub"));
    // The drive designator C: that begins the path has no find-first entry
    // under Wine, so the walk tries to create it too; that attempt fails with
    // ERROR_ALREADY_EXISTS on a name that is a folder and must not stop the walk.
    SCOPED_TRACE("walk tried " + AllCreations());
    std::string drive = base.substr(0, 2);
    EXPECT_EQ(DirectoryExists(drive.c_str()) ? 0u : 1u,
              (unsigned)std::count(creations.begin(), creations.end(), drive));
}

TEST_F(DirectoryPathTest, LastPartIsNeverMade)
{
    SetLastError(0xdeadbeef);
    EXPECT_NE(0, CreateDirectoryPath((base + "\\new\\sub").c_str())) << "error " << GetLastError();
    EXPECT_EQ("\\new", CreationsBelowBase());
    EXPECT_EQ("new", ListFolder(base));
    EXPECT_EQ("", ListFolder(base + "\\new"));
}

// Existing prefixes are passed over, whatever attribute bits they carry.
TEST_F(DirectoryPathTest, ExistingPrefixesAreNotMadeAgain)
{
    static const struct {
        const char *name;
        DWORD bits;
    } rows[] = {
        {"plain", FILE_ATTRIBUTE_NORMAL},
        {"hidden", FILE_ATTRIBUTE_HIDDEN},
        {"system", FILE_ATTRIBUTE_SYSTEM},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        std::string top = base + "\\" + row.name;
        ASSERT_TRUE(MakeFolders(top + "\\sub"));
        ASSERT_TRUE(SetFileAttributesA(top.c_str(), row.bits)) << "error " << GetLastError();
        ASSERT_TRUE(SetFileAttributesA((top + "\\sub").c_str(), row.bits)) << "error " << GetLastError();
        creations.clear();
        SetLastError(0xdeadbeef);
        EXPECT_NE(0, CreateDirectoryPath((top + "\\sub\\").c_str()))
            << "attributes 0x" << std::hex << GetFileAttributesA(top.c_str()) << std::dec
            << ", error " << GetLastError();
        EXPECT_EQ("", CreationsBelowBase());
        EXPECT_EQ("sub", ListFolder(top));
        EXPECT_EQ("", ListFolder(top + "\\sub"));
    }
}

TEST_F(DirectoryPathTest, NoBackslashMakesNothing)
{
    ASSERT_TRUE(SetCurrentDirectoryA(base.c_str())) << "error " << GetLastError();
    EXPECT_EQ(0, CreateDirectoryPath("plain"));
    EXPECT_EQ(0, CreateDirectoryPath(""));
    EXPECT_EQ("", AllCreations());
    EXPECT_EQ("", ListFolder(base));
}

// The first prefix is the empty name, which cannot be created: 0 at once.
TEST_F(DirectoryPathTest, LeadingBackslashFailsAndMakesNothing)
{
    std::string name = std::string(FindLastCharDbcs(base.c_str(), '\\') + 1) + "-lead";
    std::string rooted = base.substr(0, 2) + "\\" + name;
    ASSERT_FALSE(PathPresent(rooted)) << rooted;
    ASSERT_TRUE(SetCurrentDirectoryA(base.c_str())) << "error " << GetLastError();
    SetLastError(0xdeadbeef);
    EXPECT_EQ(0, CreateDirectoryPath(("\\" + name + "\\sub\\").c_str()));
    EXPECT_EQ("[]", AllCreations());
    EXPECT_FALSE(PathPresent(rooted)) << rooted;
    RemoveTree(rooted);
}

// A file in the way fails its creation; the walk stops there.
TEST_F(DirectoryPathTest, FilePrefixStopsTheWalk)
{
    ASSERT_TRUE(WriteFileBytes(base + "\\file", "keep"));
    SetLastError(0xdeadbeef);
    EXPECT_EQ(0, CreateDirectoryPath((base + "\\file\\sub\\more\\").c_str()));
    EXPECT_EQ("\\file", CreationsBelowBase());
    std::string bytes;
    EXPECT_TRUE(ReadFileBytes(base + "\\file", &bytes));
    EXPECT_EQ("keep", bytes);
    EXPECT_EQ("file", ListFolder(base));
}

// The 0x5C trail byte of ソ, 表 or 能 is part of the name, not a separator.
TEST_F(DirectoryPathTest, TrailByte5CDoesNotSplitNames)
{
    SetLastError(0xdeadbeef);
    EXPECT_NE(0, CreateDirectoryPath((base + "\\ソ\\表\\機能\\x").c_str()))
        << "error " << GetLastError();
    EXPECT_EQ("\\ソ|\\ソ\\表|\\ソ\\表\\機能", CreationsBelowBase());
    EXPECT_EQ("ソ", ListFolder(base));
    EXPECT_EQ("表", ListFolder(base + "\\ソ"));
    EXPECT_EQ("機能", ListFolder(base + "\\ソ\\表"));
    EXPECT_EQ("", ListFolder(base + "\\ソ\\表\\機能"));
}

// Someone else makes the folder between the walk's test and its creation:
// the creation fails, but the folder is there, so the walk goes on. Relative
// paths keep the drive designator, which takes the same way, out of it.
TEST_F(DirectoryPathTest, FolderMadeByOthersMeanwhileIsAccepted)
{
    ASSERT_TRUE(SetCurrentDirectoryA(base.c_str())) << "error " << GetLastError();
    raceMode = RaceMakesFolder;
    raceTarget = "new";
    SetLastError(0xdeadbeef);
    EXPECT_NE(0, CreateDirectoryPath("new\\sub\\")) << "error " << GetLastError();
    ASSERT_EQ(1, raceDone) << "the hook could not make the folder";
    EXPECT_EQ("[new]|[new\\sub]", AllCreations());
    EXPECT_TRUE(IsFolder(base + "\\new\\sub"));
}

// ...but a file made meanwhile is no folder: 0, and the walk stops.
TEST_F(DirectoryPathTest, FileMadeByOthersMeanwhileStopsTheWalk)
{
    ASSERT_TRUE(SetCurrentDirectoryA(base.c_str())) << "error " << GetLastError();
    raceMode = RaceMakesFile;
    raceTarget = "new";
    EXPECT_EQ(0, CreateDirectoryPath("new\\sub\\"));
    ASSERT_EQ(1, raceDone) << "the hook could not make the file";
    EXPECT_EQ("[new]", AllCreations());
    EXPECT_FALSE(IsFolder(base + "\\new"));
}

// Up to 259 bytes the walk runs; 260 bytes or more are refused before any
// prefix is made.
TEST_F(DirectoryPathTest, PathLengthLimit)
{
    const size_t prefix = base.size() + 1;
    ASSERT_LT(prefix, 200u) << base;
    std::string fits = base + "\\" + std::string(258 - prefix, 'a') + "\\";
    ASSERT_EQ(259u, fits.size());
    SetLastError(0xdeadbeef);
    EXPECT_NE(0, CreateDirectoryPath(fits.c_str())) << "error " << GetLastError();
    EXPECT_TRUE(IsFolder(fits.substr(0, 258)));
    RemoveTree(fits.substr(0, 258));
    creations.clear();

    std::string tooLong = base + "\\" + std::string(259 - prefix, 'b') + "\\";
    ASSERT_EQ(260u, tooLong.size());
    EXPECT_EQ(0, CreateDirectoryPath(tooLong.c_str()));
    std::string tooLongShortFirst = base + "\\x\\" + std::string(260 - prefix - 2, 'c');
    ASSERT_EQ(260u, tooLongShortFirst.size());
    EXPECT_EQ(0, CreateDirectoryPath(tooLongShortFirst.c_str()));
    EXPECT_EQ("", AllCreations());
    EXPECT_EQ("", ListFolder(base));
}

}  // namespace

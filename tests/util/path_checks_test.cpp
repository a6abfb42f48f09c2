// FileExists and DirectoryExists against real entries in the prefix's temp
// folder: plain and attributed folders and files, two-byte names (some ending
// in the trail byte 0x5C), trailing backslashes and the path-length limit.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "tests/support/file_bytes.h"
#include "tests/support/temp_folder.h"
#include "util/path_checks.h"

namespace {

class PathChecksTest : public ::testing::Test {
protected:
    TempFolder folder{"pc"};

    std::string MakeDir(const std::string &name)
    {
        std::string path = folder.Child(name);
        EXPECT_TRUE(CreateDirectoryA(path.c_str(), NULL))
            << path << " error " << GetLastError();
        return path;
    }
    std::string MakeFile(const std::string &name)
    {
        std::string path = folder.Child(name);
        EXPECT_TRUE(WriteFileBytes(path, "x")) << path;
        return path;
    }
};

// The attribute word find-first reports for path, or INVALID_FILE_ATTRIBUTES.
DWORD ReportedAttributes(const std::string &path)
{
    WIN32_FIND_DATAA record;
    HANDLE search = FindFirstFileA(path.c_str(), &record);
    if (search == INVALID_HANDLE_VALUE)
        return INVALID_FILE_ATTRIBUTES;
    FindClose(search);
    return record.dwFileAttributes;
}

TEST_F(PathChecksTest, EntriesByNameAndTrailingBackslash)
{
    const std::string base = folder.Path();
    MakeDir("plain");
    MakeFile("file.txt");
    MakeDir("日本語");
    MakeDir("ソ");          // 0x83 0x5C
    MakeDir("表");          // 0x95 0x5C
    MakeDir("機能");        // ends in 0x94 0x5C
    MakeFile("ファイル表"); // a file whose name ends in 0x5C
    // The name DirectoryExists would look up if it took the trail byte of ソ
    // for a separator; it must name nothing, or the ソ rows prove nothing.
    ASSERT_EQ(INVALID_FILE_ATTRIBUTES, ReportedAttributes(base + "\\\x83"));

    static const struct {
        const char *tail;   // appended to the folder path; NULL: the empty string
        int file, directory;
    } rows[] = {
        {"\\plain", 0, 1},
        {"\\plain\\", 0, 1},    // find-first does not take a trailing backslash
        {"\\plain\\\\", 0, 0},  // only one of two is removed
        {"\\pla*", 0, 1},       // the platform matches wildcards
        {"\\file.txt", 1, 0},
        {"\\file.txt\\", 0, 0},
        {"\\file.*", 1, 0},
        {"\\missing", 0, 0},
        {"\\missing\\", 0, 0},
        {"\\日本語", 0, 1},
        {"\\日本語\\", 0, 1},
        {"\\ソ", 0, 1},
        {"\\ソ\\", 0, 1},
        {"\\ソ\\\\", 0, 0},
        {"\\表", 0, 1},
        {"\\表\\", 0, 1},
        {"\\機能", 0, 1},
        {"\\機能\\", 0, 1},
        {"\\ファイル表", 1, 0},
        {"\\ファイル表\\", 0, 0},
        {NULL, 0, 0},
    };
    for (const auto &row : rows) {
        std::string path = row.tail ? base + row.tail : std::string();
        SCOPED_TRACE("path \"" + path + "\"");
        SetLastError(0xdeadbeef);
        EXPECT_EQ(row.file, FileExists(path.c_str())) << "error " << GetLastError();
        SetLastError(0xdeadbeef);
        EXPECT_EQ(row.directory, DirectoryExists(path.c_str())) << "error " << GetLastError();
    }
}

// A folder is a folder whatever other bits it carries; a file is a file.
TEST_F(PathChecksTest, AttributeBitsDoNotChangeTheKind)
{
    static const struct {
        const char *name;
        DWORD bits;
    } bitRows[] = {
        {"read-only", FILE_ATTRIBUTE_READONLY},
        {"hidden", FILE_ATTRIBUTE_HIDDEN},
        {"system", FILE_ATTRIBUTE_SYSTEM},
        {"archive", FILE_ATTRIBUTE_ARCHIVE},
        {"hidden+system+read-only", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_READONLY},
    };
    int folderKeptExtraBit = 0;
    for (const auto &row : bitRows) {
        for (int isFolder = 1; isFolder >= 0; --isFolder) {
            std::string name = std::string(isFolder ? "dir-" : "file-") + row.name;
            std::string path = isFolder ? MakeDir(name) : MakeFile(name);
            ASSERT_TRUE(SetFileAttributesA(path.c_str(), row.bits))
                << path << " error " << GetLastError();
            DWORD reported = ReportedAttributes(path);
            ASSERT_NE(INVALID_FILE_ATTRIBUTES, reported) << path;
            DWORD extra = reported & ~(DWORD)FILE_ATTRIBUTE_DIRECTORY;
            if (isFolder && extra)
                folderKeptExtraBit = 1;
            char note[200];
            wsprintfA(note, "%s %s: asked for bits 0x%lx, the platform reports 0x%lx%s",
                      isFolder ? "folder" : "file", row.name, row.bits, reported,
                      (reported & row.bits) == row.bits
                          ? ""
                          : " (it dropped some: Wine keeps only hidden and system on "
                            "folders, so for those bits this row shows a plainer entry)");
            SCOPED_TRACE(note);
            EXPECT_EQ(isFolder ? 0 : 1, FileExists(path.c_str()));
            EXPECT_EQ(isFolder, DirectoryExists(path.c_str()));
            EXPECT_EQ(isFolder, DirectoryExists((path + "\\").c_str()));
        }
    }
    EXPECT_TRUE(folderKeptExtraBit)
        << "no folder kept any bit beside FILE_ATTRIBUTE_DIRECTORY: the bit test was not exercised";
}

// Paths up to 259 bytes are looked up; 260 bytes or more are refused, even
// when removing the trailing backslash would leave an existing folder.
TEST_F(PathChecksTest, PathLengthLimit)
{
    const std::string base = folder.Path();
    const size_t prefix = base.size() + 1;
    ASSERT_LT(prefix, 200u) << base;
    std::string dir258 = MakeDir(std::string(258 - prefix, 'a'));
    std::string dir259 = MakeDir(std::string(259 - prefix, 'b'));
    ASSERT_EQ(258u, dir258.size());
    ASSERT_EQ(259u, dir259.size());
    ASSERT_NE(INVALID_FILE_ATTRIBUTES, ReportedAttributes(dir259))
        << "the platform did not make the 259-byte folder";

    static const struct {
        const char *name;
        int which;          // 258 or 259: the folder the path starts with
        const char *tail;
        size_t length;
        int directory;
    } rows[] = {
        {"259-byte folder", 259, "", 259, 1},
        {"258-byte folder and a backslash", 258, "\\", 259, 1},
        {"259-byte folder and a backslash", 259, "\\", 260, 0},
        {"259-byte folder and two backslashes", 259, "\\\\", 261, 0},
    };
    for (const auto &row : rows) {
        std::string path = (row.which == 258 ? dir258 : dir259) + row.tail;
        SCOPED_TRACE(row.name);
        ASSERT_EQ(row.length, path.size());
        SetLastError(0xdeadbeef);
        EXPECT_EQ(row.directory, DirectoryExists(path.c_str())) << "error " << GetLastError();
    }
    std::string veryLong = dir259 + "\\" + std::string(2000, 'c') + "\\";
    EXPECT_EQ(0, DirectoryExists(veryLong.c_str()));
    EXPECT_EQ(0, FileExists(veryLong.c_str()));
}

}  // namespace

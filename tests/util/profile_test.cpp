// Profile helpers against the real private-profile calls on real files in the
// prefix: the growth of the readers' buffers, the defaults for missing values,
// the atoi rule with saturation, the four ways to call ReadIniString, what
// stays allocated when a heap runs out, and the writers' file text.
#include <gtest/gtest.h>
#include <windows.h>

#include <climits>
#include <string>

#include "tests/support/file_bytes.h"
#include "tests/support/temp_folder.h"
#include "util/profile.h"

// Busy blocks of a heap, counted with HeapWalk.
static int BusyBlocks(HANDLE heap)
{
    int count = 0;
    PROCESS_HEAP_ENTRY entry;
    ZeroMemory(&entry, sizeof(entry));
    entry.lpData = NULL;
    while (HeapWalk(heap, &entry)) {
        if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY)
            ++count;
    }
    return count;
}

class ProfileTest : public ::testing::Test {
protected:
    TempFolder folder{"profile"};
    std::string file;
    HANDLE heap = NULL;

    void SetUp() override { file = folder.Child("test.ini"); }
    void TearDown() override
    {
        if (heap != NULL)
            HeapDestroy(heap);
        // Drop the platform's cached copy before the folder goes.
        WritePrivateProfileStringA(NULL, NULL, NULL, file.c_str());
    }
    // Writes the file with the given lines under [s].
    void WriteIni(const std::string &body)
    {
        ASSERT_TRUE(WriteFileBytes(file, "[s]\r\n" + body));
    }
    std::string FileText()
    {
        WritePrivateProfileStringA(NULL, NULL, NULL, file.c_str());  // flush
        std::string text;
        EXPECT_TRUE(ReadFileBytes(file, &text)) << file;
        return text;
    }
};

TEST_F(ProfileTest, ReadIniIntValues)
{
    const std::string zeros49 = std::string(46, '0') + "123";
    const std::string zeros50 = std::string(47, '0') + "123";
    const std::string zeros120 = std::string(117, '0') + "123";
    const std::string letters49 = "123" + std::string(46, 'x');
    const std::string letters120 = "-123" + std::string(116, 'x');
    const struct { const char *key; std::string value; int expected; } cases[] = {
        {"short", "123", 123},
        {"len49", zeros49, 123},
        {"len50", zeros50, 123},
        {"len120", zeros120, 123},
        {"letters49", letters49, 123},
        {"letters120", letters120, -123},
        {"empty", "", 0},
        {"digitsThenLetters", "12abc", 12},
        {"letters", "abc", 0},
        {"negative", "-45", -45},
        {"plus", "+17", 17},
        {"quotedLeadingSpace", "\" \t42\"", 42},
        {"signOnly", "-", 0},
        {"max", "2147483647", INT_MAX},
        {"min", "-2147483648", INT_MIN},
        {"overMax", "2147483648", INT_MAX},
        {"underMin", "-2147483649", INT_MIN},
        {"farOverMax", "99999999999999999999999", INT_MAX},
        {"farUnderMin", "-99999999999999999999999", INT_MIN},
        {"storedMinusOne", "-1", -1},
    };
    std::string body;
    for (const auto &c : cases)
        body += std::string(c.key) + "=" + c.value + "\r\n";
    WriteIni(body);
    ASSERT_EQ(49u, zeros49.size());
    ASSERT_EQ(120u, letters120.size());
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << c.key << " = \"" << c.value << "\"");
        EXPECT_EQ(c.expected, ReadIniInt(file.c_str(), "s", c.key));
    }
}

TEST_F(ProfileTest, ReadIniIntMissingGivesMinusOne)
{
    WriteIni("k=5\r\n");
    EXPECT_EQ(5, ReadIniInt(file.c_str(), "s", "k"));
    EXPECT_EQ(-1, ReadIniInt(file.c_str(), "s", "nokey"));
    EXPECT_EQ(-1, ReadIniInt(file.c_str(), "nosection", "k"));
    EXPECT_EQ(-1, ReadIniInt(folder.Child("absent.ini").c_str(), "s", "k"));
}

// Caller's 16-byte buffer, no heap.
TEST_F(ProfileTest, ReadIniStringCallerBufferNoHeap)
{
    WriteIni("k14=abcdefghijklmn\r\nk15=abcdefghijklmno\r\nk0=\r\nj=日本語\r\n");
    const struct { const char *key; const char *expected; } cases[] = {
        {"k14", "abcdefghijklmn"},
        {"k0", ""},
        {"j", "日本語"},
        {"missing", "NotFound"},
        {"k15", NULL},  // fills the buffer: cannot be told from a cut value
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.key);
        char buffer[24];
        FillMemory(buffer, sizeof(buffer), 0xCC);
        int size = 16;
        char *result = ReadIniString(file.c_str(), "s", c.key, buffer, &size, NULL);
        EXPECT_EQ(16, size);
        if (c.expected == NULL) {
            EXPECT_TRUE(result == NULL);
            EXPECT_STREQ("abcdefghijklmno", buffer) << "the cut value stays in the buffer";
        } else {
            ASSERT_TRUE(result == buffer);
            EXPECT_STREQ(c.expected, buffer);
        }
        for (int i = 16; i < (int)sizeof(buffer); ++i)
            ASSERT_EQ(0xCC, (unsigned char)buffer[i]) << "written past the size at " << i;
    }
}

// No buffer, a heap: a fresh block of 10 bytes, grown by 50.
TEST_F(ProfileTest, ReadIniStringFunctionBufferOnHeap)
{
    heap = HeapCreate(0, 0, 0);
    ASSERT_TRUE(heap != NULL);
    const std::string v59(59, 'q');
    const struct { const char *key; std::string value; int size; } cases[] = {
        {"missing", "NotFound", 10},
        {"v8", "12345678", 10},
        {"v9", "123456789", 60},
        {"v59", v59, 110},
        {"empty", "", 10},
    };
    std::string body;
    for (const auto &c : cases)
        if (std::string(c.key) != "missing")
            body += std::string(c.key) + "=" + c.value + "\r\n";
    WriteIni(body);
    for (const auto &c : cases) {
        SCOPED_TRACE(c.key);
        int size = 12345;  // ignored on entry
        char *result = ReadIniString(file.c_str(), "s", c.key, NULL, &size, heap);
        ASSERT_TRUE(result != NULL);
        EXPECT_EQ(c.value, result);
        EXPECT_EQ(c.size, size);
        EXPECT_EQ((SIZE_T)c.size, HeapSize(heap, 0, result)) << "block size and *size differ";
        EXPECT_EQ(1, BusyBlocks(heap));
        EXPECT_TRUE(HeapFree(heap, 0, result));
    }
}

// A caller's block from a heap, with that heap.
TEST_F(ProfileTest, ReadIniStringCallerBufferOnHeap)
{
    heap = HeapCreate(0, 0, 0);
    ASSERT_TRUE(heap != NULL);
    const std::string v40(40, 'w');
    const std::string v70(70, 'z');
    WriteIni("short=abc\r\nv40=" + v40 + "\r\nv70=" + v70 + "\r\n");
    const struct { const char *key; std::string value; int size; bool sameBlock; } cases[] = {
        {"short", "abc", 16, true},
        {"missing", "NotFound", 16, true},
        {"v40", v40, 66, false},
        {"v70", v70, 116, false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.key);
        char *buffer = (char *)HeapAlloc(heap, 0, 16);
        ASSERT_TRUE(buffer != NULL);
        int size = 16;
        char *result = ReadIniString(file.c_str(), "s", c.key, buffer, &size, heap);
        ASSERT_TRUE(result != NULL);
        EXPECT_EQ(c.value, result);
        EXPECT_EQ(c.size, size);
        EXPECT_EQ((SIZE_T)c.size, HeapSize(heap, 0, result));
        if (c.sameBlock) {
            EXPECT_TRUE(result == buffer);
        }
        EXPECT_EQ(1, BusyBlocks(heap)) << "the replaced buffer should have been freed";
        EXPECT_TRUE(HeapFree(heap, 0, result));
    }
}

TEST_F(ProfileTest, ReadIniStringNoBufferNoHeap)
{
    WriteIni("k=v\r\n");
    int size = 12345;
    EXPECT_TRUE(ReadIniString(file.c_str(), "s", "k", NULL, &size, NULL) == NULL);
    EXPECT_EQ(12345, size);
    EXPECT_TRUE(ReadIniString(file.c_str(), "s", "k", NULL, NULL, NULL) == NULL);
}

// A heap that cannot grow far enough for the value: HeapCreate with a small
// maximum makes the growth fail for real.
TEST_F(ProfileTest, ReadIniStringGrowthFailureLeavesNothingBehind)
{
    heap = HeapCreate(0, 0, 0x10000);
    ASSERT_TRUE(heap != NULL) << GetLastError();
    // How much the heap can give in one block at most, to the nearest KiB.
    int capacity = 0;
    for (int trial = 1024; trial < 0x100000; trial += 1024) {
        void *probe = HeapAlloc(heap, 0, trial);
        if (probe == NULL)
            break;
        HeapFree(heap, 0, probe);
        capacity = trial;
    }
    ASSERT_GT(capacity, 0);
    ASSERT_LT(capacity, 0x100000 - 1024) << "the heap's maximum is not enforced";
    const std::string big(capacity + 2048, 'b');
    WriteIni("big=" + big + "\r\nsmall=ok\r\n");

    // The function's own block: freed again, nothing returned.
    int size = 7;
    EXPECT_TRUE(ReadIniString(file.c_str(), "s", "big", NULL, &size, heap) == NULL);
    EXPECT_EQ(0, BusyBlocks(heap)) << "a block of the function stayed allocated";

    // The caller's block: still the caller's, same address and size.
    char *buffer = (char *)HeapAlloc(heap, 0, 32);
    ASSERT_TRUE(buffer != NULL);
    size = 32;
    EXPECT_TRUE(ReadIniString(file.c_str(), "s", "big", buffer, &size, heap) == NULL);
    EXPECT_EQ(32, size);
    EXPECT_EQ(1, BusyBlocks(heap)) << "only the caller's block should be left";
    EXPECT_TRUE(HeapValidate(heap, 0, buffer)) << "the caller's block is no longer valid";
    EXPECT_EQ((SIZE_T)32, HeapSize(heap, 0, buffer));

    // The heap is still fine for a value that fits.
    char *result = ReadIniString(file.c_str(), "s", "small", buffer, &size, heap);
    ASSERT_TRUE(result == buffer);
    EXPECT_STREQ("ok", result);
    EXPECT_TRUE(HeapFree(heap, 0, buffer));
    EXPECT_EQ(0, BusyBlocks(heap));
}

TEST_F(ProfileTest, WriteIniIntText)
{
    const struct { int value; const char *line; } cases[] = {
        {0, "zero=0\r\n"},
        {INT_MIN, "min=-2147483648\r\n"},
        {INT_MAX, "max=2147483647\r\n"},
        {-7, "neg=-7\r\n"},
    };
    const char *keys[] = {"zero", "min", "max", "neg"};
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(keys[i]);
        SetLastError(0xdeadbeef);
        EXPECT_TRUE(WriteIniInt(file.c_str(), "s", keys[i], cases[i].value)) << GetLastError();
    }
    std::string text = FileText();
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(keys[i]);
        EXPECT_NE(std::string::npos, text.find(std::string("\n") + cases[i].line)) << text;
        EXPECT_EQ(cases[i].value, ReadIniInt(file.c_str(), "s", keys[i]));
    }
}

TEST_F(ProfileTest, WriteIniStringValueAndRemovals)
{
    ASSERT_TRUE(WriteFileBytes(file, "[s]\r\na=1\r\nb=2\r\n[t]\r\nc=3\r\n"));
    EXPECT_TRUE(WriteIniString(file.c_str(), "s", "b", "日本語"));
    char buffer[32];
    int size = sizeof(buffer);
    EXPECT_STREQ("日本語", ReadIniString(file.c_str(), "s", "b", buffer, &size, NULL));

    // NULL value: the key goes, the rest of the section stays.
    EXPECT_TRUE(WriteIniString(file.c_str(), "s", "a", NULL));
    std::string text = FileText();
    EXPECT_EQ(std::string::npos, text.find("a=")) << text;
    EXPECT_NE(std::string::npos, text.find("b=日本語")) << text;
    EXPECT_STREQ("NotFound", ReadIniString(file.c_str(), "s", "a", buffer, &size, NULL));

    // NULL key: the whole section goes, other sections stay.
    EXPECT_TRUE(WriteIniString(file.c_str(), "s", NULL, NULL));
    text = FileText();
    EXPECT_EQ(std::string::npos, text.find("[s]")) << text;
    EXPECT_EQ(std::string::npos, text.find("b=")) << text;
    EXPECT_NE(std::string::npos, text.find("c=3")) << text;
    EXPECT_EQ(-1, ReadIniInt(file.c_str(), "s", "b"));
    EXPECT_EQ(3, ReadIniInt(file.c_str(), "t", "c"));
}

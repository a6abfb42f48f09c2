// Double-byte-aware search: one table of byte strings with the expected
// offsets from both searches, plus the cases a table cannot show (null
// string, continuing after a match, no read past the terminator).
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>

#include "util/dbcs_search.h"

namespace {

const int NONE = -1;

struct SearchCase {
    const char *label;
    const char *bytes;  // terminated by its literal's NUL
    unsigned char character;
    int first;          // offset FindCharDbcs returns, NONE for NULL
    int last;           // offset FindLastCharDbcs returns
};

const SearchCase cases[] = {
    {"empty string", "", 0x5C, NONE, NONE},
    {"empty string, NUL searched", "", 0x00, NONE, NONE},
    {"terminator is never a match", "abc", 0x00, NONE, NONE},
    {"no such character", "abc", 0x5C, NONE, NONE},
    {"two backslashes", "\x61\x5C\x62\x5C\x63", 0x5C, 1, 3},
    {"trail byte 0x5C is not a backslash", "\x95\x5C\x5C", 0x5C, 2, 2},
    {"so: trail 0x5C, then a backslash", "ソ\\", 0x5C, 2, 2},
    {"only a pair's trail byte", "\x95\x5C", 0x5C, NONE, NONE},
    {"unpaired lead, space after it", "\x81\x20", 0x20, 1, 1},
    {"unpaired lead found itself", "\x81\x20", 0x81, 0, 0},
    {"lead then 0x7F is no pair", "\x81\x7F", 0x7F, 1, 1},
    {"lead then 0x7F, lead found", "\x81\x7F", 0x81, 0, 0},
    {"lead before the terminator", "\x41\x81", 0x81, 1, 1},
    {"three 0x81: a pair, then one", "\x81\x81\x81", 0x81, 2, 2},
    {"four 0x81: two pairs", "\x81\x81\x81\x81", 0x81, NONE, NONE},
    {"half-width katakana never leads", "\xB1\x5C", 0x5C, 1, 1},
    {"half-width katakana matched as 8 bits", "\xB1\x5C", 0xB1, 0, 0},
    {"0xFD never leads", "\xFD\x5C", 0x5C, 1, 1},
    {"0x80 never leads", "\x80\x5C", 0x5C, 1, 1},
    {"0xA0 never leads", "\xA0\x5C", 0x5C, 1, 1},
    {"0xDF never leads", "\xDF\x5C", 0x5C, 1, 1},
    {"0x9F leads", "\x9F\x5C", 0x5C, NONE, NONE},
    {"0xE0 leads", "\xE0\x5C", 0x5C, NONE, NONE},
    {"0xFC leads", "\xFC\x5C", 0x5C, NONE, NONE},
    {"trail 0x40 pairs", "\x81\x40\x40", 0x40, 2, 2},
    {"0x3F is no trail", "\x81\x3F", 0x3F, 1, 1},
    {"trail 0xFC pairs", "\x88\xFC\xFC", 0xFC, 2, 2},
    {"0xFD is no trail", "\x88\xFD", 0xFD, 1, 1},
    {"single bytes passed one at a time", "\x42\x42\x41", 0x41, 2, 2},
    {"first and last of a repeated byte", "\x42\x42\x41", 0x42, 0, 1},
    {"Japanese path", "C:\\ころもり\\表\\ソ", 0x5C, 2, 14},
};

int Offset(const char *found, const char *string)
{
    return found == NULL ? NONE : (int)(found - string);
}

} // namespace

TEST(DbcsSearch, TableOfByteStrings)
{
    for (const SearchCase &c : cases) {
        SCOPED_TRACE(c.label);
        EXPECT_EQ(c.first, Offset(FindCharDbcs(c.bytes, (char)c.character), c.bytes));
        EXPECT_EQ(c.last, Offset(FindLastCharDbcs(c.bytes, (char)c.character), c.bytes));
    }
}

TEST(DbcsSearch, NullStringYieldsNull)
{
    EXPECT_EQ(NULL, FindCharDbcs(NULL, '\\'));
    EXPECT_EQ(NULL, FindLastCharDbcs(NULL, '\\'));
    EXPECT_EQ(NULL, FindCharDbcs(NULL, '\0'));
}

TEST(DbcsSearch, ContinuingAfterAMatch)
{
    char path[] = "a\\b\\c";
    // Started at a backslash, the same backslash; one past it, the next one.
    EXPECT_EQ(path + 1, FindCharDbcs(path + 1, '\\'));
    EXPECT_EQ(path + 3, FindCharDbcs(path + 2, '\\'));
    EXPECT_EQ(NULL, FindCharDbcs(path + 4, '\\'));
    // The result points into the caller's buffer and can be written through.
    char *cut = FindLastCharDbcs(path, '\\');
    ASSERT_EQ(path + 3, cut);
    *cut = '\0';
    EXPECT_STREQ("a\\b", path);
}

TEST(DbcsSearch, NeverReadsPastTheTerminator)
{
    // Strings placed so that their terminator is the last readable byte
    // before an inaccessible page: a read past it faults.
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    DWORD page = info.dwPageSize;
    char *base = (char *)VirtualAlloc(NULL, 2 * page, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
    ASSERT_TRUE(base != NULL) << GetLastError();
    DWORD old;
    ASSERT_TRUE(VirtualProtect(base + page, page, PAGE_NOACCESS, &old)) << GetLastError();
    static const struct { const char *bytes; unsigned char character; int first; } tails[] = {
        {"\x41\x81", 0x81, 1},
        {"\x81", 0x81, 0},
        {"\x95\x5C", 0x5C, NONE},
        {"", 0x41, NONE},
    };
    for (const auto &t : tails) {
        SCOPED_TRACE(t.bytes);
        size_t size = strlen(t.bytes) + 1;
        char *string = base + page - size;
        memcpy(string, t.bytes, size);
        EXPECT_EQ(t.first, Offset(FindCharDbcs(string, (char)t.character), string));
        EXPECT_EQ(t.first, Offset(FindLastCharDbcs(string, (char)t.character), string));
    }
    // Bytes after a terminator are not part of the string.
    memcpy(base, "\x81\0\\\\", 4);
    EXPECT_EQ(NULL, FindCharDbcs(base, '\\'));
    EXPECT_EQ(NULL, FindLastCharDbcs(base, '\\'));
    VirtualFree(base, 0, MEM_RELEASE);
}

TEST(DbcsSearch, ByteClassesAtTheirBoundaries)
{
    static const struct { unsigned char byte; int lead; int trail; } bytes[] = {
        {0x00, 0, 0}, {0x3F, 0, 0}, {0x40, 0, 1}, {0x5C, 0, 1}, {0x7E, 0, 1},
        {0x7F, 0, 0}, {0x80, 0, 1}, {0x81, 1, 1}, {0x9F, 1, 1}, {0xA0, 0, 1},
        {0xDF, 0, 1}, {0xE0, 1, 1}, {0xFC, 1, 1}, {0xFD, 0, 0}, {0xFF, 0, 0},
    };
    for (const auto &b : bytes) {
        SCOPED_TRACE(b.byte);
        EXPECT_EQ(b.lead, IsShiftJisLeadByte(b.byte) != 0);
        EXPECT_EQ(b.trail, IsShiftJisTrailByte(b.byte) != 0);
    }
}

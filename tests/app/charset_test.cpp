// Every text of the program is a UTF-8 literal compiled to Shift-JIS. If the
// toolchain stopped converting, every message would be mojibake; these checks
// catch that at once.
#include <gtest/gtest.h>
#include <windows.h>

TEST(Charset, TrailByte5CLiteralIsShiftJis)
{
    static const char so[] = "ソ";
    ASSERT_EQ(3u, sizeof(so)) << "ソ should be two bytes and a NUL";
    EXPECT_EQ(0x83, (unsigned char)so[0]);
    EXPECT_EQ(0x5C, (unsigned char)so[1]);
    EXPECT_EQ(0x00, (unsigned char)so[2]);
}

TEST(Charset, FullWidthAndKanaLiterals)
{
    static const struct { const char *text; const char *bytes; } cases[] = {
        {"修正", "\x8f\x43\x90\xb3"},
        {"コピー中．．．", "\x83\x52\x83\x73\x81\x5b\x92\x86\x81\x44\x81\x44\x81\x44"},
        {"ＭＳ ゴシック", "\x82\x6c\x82\x72\x20\x83\x53\x83\x56\x83\x62\x83\x4e"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.bytes);
        EXPECT_STREQ(c.bytes, c.text);
    }
}

TEST(Charset, WineRunsWithTheJapaneseCodePage)
{
    EXPECT_EQ(932u, GetACP()) << "tests must run with LC_ALL=ja_JP.UTF-8";
}

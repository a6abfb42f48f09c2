// The payload table, the default folder and FindResourceBySpec, against the
// resources embedded in this test program (the installer's two payloads
// plus resources with names only a specifier can reach).
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "payload/payload_table.h"
#include "payload/resource_spec.h"
#include "tests/support/file_bytes.h"
#include "tests/support/test_paths.h"

TEST(PayloadTable, RowsInWritingOrder)
{
    EXPECT_EQ(2, PAYLOAD_COUNT);
    EXPECT_EQ(256u, sizeof(PayloadSpecTemplates[0]));
    EXPECT_EQ(256u, sizeof(PayloadFileNames[0]));
    EXPECT_STREQ("%%BINARY%%ID_SYSTEM_XP3", PayloadSpecTemplates[0]);
    EXPECT_STREQ("system.xp3", PayloadFileNames[0]);
    EXPECT_STREQ("%%BINARY%%ID_SYSTEM_SIG", PayloadSpecTemplates[1]);
    EXPECT_STREQ("system.xp3.sig", PayloadFileNames[1]);
}

TEST(PayloadTable, DefaultInstallDirIsShiftJis)
{
    // "C:\Program Files\ころもり\ケルバノ\ころもり\" in code page 932.
    static const char expected[] =
        "C:\\Program Files\\"
        "\x82\xb1\x82\xeb\x82\xe0\x82\xe8\\"
        "\x83\x50\x83\x8b\x83\x6f\x83\x6d\\"
        "\x82\xb1\x82\xeb\x82\xe0\x82\xe8\\";
    EXPECT_STREQ(expected, DefaultInstallDir);
    EXPECT_EQ((int)sizeof(expected) - 1, lstrlenA(DefaultInstallDir));
}

TEST(PayloadTable, RowsFormatIntoSpecifiersOfTheEmbeddedPayloads)
{
    static const char *const files[PAYLOAD_COUNT] = {"system.xp3", "system.xp3.sig"};
    for (int row = 0; row < PAYLOAD_COUNT; ++row) {
        SCOPED_TRACE(row);
        char specifier[260];
        int length = wsprintfA(specifier, PayloadSpecTemplates[row]);
        ASSERT_GT(length, 0);
        EXPECT_STREQ(row == 0 ? "%BINARY%ID_SYSTEM_XP3" : "%BINARY%ID_SYSTEM_SIG", specifier);
        char target[260];
        wsprintfA(target, "%s%s", DefaultInstallDir, PayloadFileNames[row]);
        EXPECT_EQ(std::string(DefaultInstallDir) + files[row], target);

        HRSRC resource = FindResourceBySpec(specifier);
        ASSERT_TRUE(resource != NULL) << specifier << " error " << GetLastError();
        DWORD size = SizeofResource(NULL, resource);
        const char *data = (const char *)LockResource(LoadResource(NULL, resource));
        ASSERT_TRUE(data != NULL);
        std::string onDisk;
        ASSERT_TRUE(ReadFileBytes(TestPayloadPath(files[row]), &onDisk)) << files[row];
        EXPECT_EQ(onDisk.size(), size);
        EXPECT_TRUE(onDisk == std::string(data, size)) << "resource differs from the payload file";
    }
    // The installer's payloads have these sizes, sample or real.
    EXPECT_EQ(1359819u, SizeofResource(NULL, FindResourceBySpec("%BINARY%ID_SYSTEM_XP3")));
    EXPECT_EQ(114u, SizeofResource(NULL, FindResourceBySpec("%BINARY%ID_SYSTEM_SIG")));
}

TEST(FindResourceBySpec, Specifiers)
{
    static const struct {
        const char *specifier;
        const char *type;  // the resource it names, or NULL for none
        const char *name;
    } cases[] = {
        {"%BINARY%ID_SYSTEM_XP3", "BINARY", "ID_SYSTEM_XP3"},
        {"%BINARY%ID_SYSTEM_SIG", "BINARY", "ID_SYSTEM_SIG"},
        {"%BINARY%ID_EMPTY", "BINARY", "ID_EMPTY"},
        {"%binary%id_system_sig", "BINARY", "ID_SYSTEM_SIG"}, // string names ignore case
        {"%A%B%C", "A%B", "C"},                                // only the last % separates
        {"%データ%ソ表", "データ", "ソ表"},                     // double-byte TYPE and NAME
        {"XBINARY%ID_SYSTEM_SIG", "BINARY", "ID_SYSTEM_SIG"}, // first character not examined
        {"%%BINARY%%ID_SYSTEM_XP3", NULL, NULL},               // the unformatted template
        {"BINARY", NULL, NULL},                                // no % at all
        {"", NULL, NULL},
        {"%ID_SYSTEM_XP3", NULL, NULL},                        // last % is the first character
        {"%%ID_SYSTEM_XP3", NULL, NULL},                       // empty TYPE
        {"%BINARY%", NULL, NULL},                              // empty NAME
        {"%BINARY%NO_SUCH_PAYLOAD", NULL, NULL},
        {"%NO_SUCH_TYPE%ID_SYSTEM_XP3", NULL, NULL},
        {"%A%B", NULL, NULL},                                  // type A, name B: absent
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.specifier);
        HRSRC found = FindResourceBySpec(c.specifier);
        if (c.type == NULL) {
            EXPECT_TRUE(found == NULL);
            continue;
        }
        HRSRC expected = FindResourceA(NULL, c.name, c.type);
        ASSERT_TRUE(expected != NULL) << "test resource missing, error " << GetLastError();
        EXPECT_EQ(expected, found);
    }
    EXPECT_TRUE(FindResourceBySpec(NULL) == NULL);
}

TEST(FindResourceBySpec, OddNamesHoldTheirBytes)
{
    HRSRC resource = FindResourceBySpec("%A%B%C");
    ASSERT_TRUE(resource != NULL) << GetLastError();
    DWORD size = SizeofResource(NULL, resource);
    const char *data = (const char *)LockResource(LoadResource(NULL, resource));
    EXPECT_EQ("type A%B, name C", std::string(data, size));
}

TEST(FindResourceBySpec, MissingResourceLeavesThePlatformError)
{
    SetLastError(0xdeadbeef);
    EXPECT_TRUE(FindResourceBySpec("%BINARY%NO_SUCH_PAYLOAD") == NULL);
    EXPECT_EQ((DWORD)ERROR_RESOURCE_NAME_NOT_FOUND, GetLastError());
    SetLastError(0xdeadbeef);
    EXPECT_TRUE(FindResourceBySpec("%NO_SUCH_TYPE%ID_SYSTEM_XP3") == NULL);
    EXPECT_EQ((DWORD)ERROR_RESOURCE_TYPE_NOT_FOUND, GetLastError());
}

TEST(FindResourceBySpec, TooLongIsRefusedWithoutOverrun)
{
    // 300 bytes: the last "%" sits past a 260-byte buffer.
    std::string specifier = "%" + std::string(280, 'T') + "%ID_SYSTEM_SIG";
    EXPECT_TRUE(FindResourceBySpec(specifier.c_str()) == NULL);
    // 259 bytes still fit.
    std::string fits = "%BINARY%" + std::string(251, 'N');
    ASSERT_EQ(259u, fits.size());
    SetLastError(0xdeadbeef);
    EXPECT_TRUE(FindResourceBySpec(fits.c_str()) == NULL);
    EXPECT_EQ((DWORD)ERROR_RESOURCE_NAME_NOT_FOUND, GetLastError()) << "the lookup ran";
}

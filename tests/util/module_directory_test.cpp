// GetModuleDirectory: the command-line parsing as a table through
// ModuleDirectoryFromCommandLine, with a sentinel-filled buffer larger than
// 260 bytes to catch writes past the program path and past the 260-byte
// buffer; then for real, by starting a helper program under command lines of
// our own making.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>

#include "tests/support/file_bytes.h"
#include "tests/support/temp_folder.h"
#include "tests/support/test_paths.h"
#include "util/dbcs_search.h"
#include "util/module_directory.h"

namespace {

const unsigned char Sentinel = 0xA5;
const size_t Slack = 64;  // sentinel bytes beyond the 260-byte buffer

TEST(ModuleDirectory, CommandLineTable)
{
    const std::string long259 = "C:\\" + std::string(259 - 3 - 8, 'a') + "\\run.exe";
    const std::string long260 = "C:\\" + std::string(260 - 3 - 8, 'a') + "\\run.exe";
    ASSERT_EQ(259u, long259.size());
    ASSERT_EQ(260u, long260.size());
    const std::string folder259 = long259.substr(0, 259 - 7);

    const struct {
        const char *name;
        std::string commandLine;
        std::string expected;
        size_t programLength;  // bytes of the program path the copy may fill
    } rows[] = {
        {"quoted with arguments", "\"C:\\Games\\App\\run.exe\" -x \"y z\"", "C:\\Games\\App\\", 20},
        {"unquoted", "C:\\Games\\App\\run.exe", "C:\\Games\\App\\", 20},
        {"unquoted with a space", "C:\\Program Files\\App\\run.exe", "C:\\", 10},
        {"unquoted, a tab does not end it", "C:\\Games\\run.exe\t-x\\y", "C:\\Games\\run.exe\t-x\\", 21},
        {"no backslash", "run.exe", "run.exe", 7},
        {"no backslash, arguments", "run.exe -x C:\\y", "run.exe", 7},
        {"unclosed quote", "\"C:\\Program Files\\App\\run.exe -x", "C:\\Program Files\\App\\", 31},
        {"empty quotes", "\"\" -x", "", 0},
        {"empty", "", "", 0},
        {"two-byte names", "\"C:\\ソフト\\表.exe\" a", "C:\\ソフト\\", 16},
        {"unquoted, trail byte 0x5C last", "C:\\ソ\\表", "C:\\ソ\\", 8},
        {"259-byte program path", "\"" + long259 + "\" -x", folder259, 259},
        {"259-byte program path, unquoted", long259, folder259, 259},
        {"260-byte program path", "\"" + long260 + "\" -x", "", 0},
        {"260-byte program path, unquoted", long260 + " -x", "", 0},
        {"1000-byte program path", std::string(1000, 'z') + "\\run.exe", "", 0},
        {"long arguments", "\"C:\\a\\run.exe\" " + std::string(1000, 'x'), "C:\\a\\", 12},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        unsigned char buffer[MAX_PATH + Slack];
        memset(buffer, Sentinel, sizeof(buffer));
        ModuleDirectoryFromCommandLine(row.commandLine.c_str(), (char *)buffer);
        const char *text = (const char *)buffer;
        size_t length = strnlen(text, sizeof(buffer));
        ASSERT_LT(length, (size_t)MAX_PATH) << "no terminator within 260 bytes";
        EXPECT_EQ(row.expected, std::string(text, length));
        // Past the copied program path and its terminator nothing is written.
        size_t firstUntouched = row.programLength + 1;
        ASSERT_LE(firstUntouched, (size_t)MAX_PATH);
        for (size_t i = firstUntouched; i < sizeof(buffer); ++i) {
            if (buffer[i] != Sentinel) {
                ADD_FAILURE() << "byte " << i << " written (0x" << std::hex << (int)buffer[i]
                              << "); program path length " << std::dec << row.programLength;
                break;
            }
        }
    }
}

// Runs program with this command line; returns what it printed.
std::string RunChild(const std::string &program, const std::string &commandLine)
{
    SECURITY_ATTRIBUTES inherit = {sizeof(inherit), NULL, TRUE};
    HANDLE readEnd, writeEnd;
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) {
        ADD_FAILURE() << "CreatePipe error " << GetLastError();
        return "";
    }
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writeEnd;
    startup.hStdError = writeEnd;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION process = {};
    std::string mutableLine = commandLine;
    SetLastError(0xdeadbeef);
    BOOL started = CreateProcessA(program.c_str(), &mutableLine[0], NULL, NULL, TRUE, 0, NULL,
                                  NULL, &startup, &process);
    DWORD startError = GetLastError();
    CloseHandle(writeEnd);
    std::string output;
    if (!started) {
        ADD_FAILURE() << "CreateProcessA(" << program << ") error " << startError;
    } else {
        char chunk[512];
        DWORD got;
        while (ReadFile(readEnd, chunk, sizeof(chunk), &got, NULL) && got)
            output.append(chunk, got);
        EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(process.hProcess, 20000));
        CloseHandle(process.hProcess);
        CloseHandle(process.hThread);
    }
    CloseHandle(readEnd);
    return output;
}

class ModuleDirectoryChild : public ::testing::Test {
protected:
    TempFolder folder{"md"};
};

// The real command line of a started program, quoted (a folder with a space
// and two-byte names, a program named with a trail byte 0x5C) and unquoted.
TEST_F(ModuleDirectoryChild, ReportsTheFolderOfTheStartedProgram)
{
    std::string child = TestBuildDir() + "\\tests\\module_directory_child.exe";
    std::string childBytes;
    ASSERT_TRUE(ReadFileBytes(child, &childBytes)) << child;

    const struct {
        const char *name;
        const char *folderName;
        const char *programName;
        int quoted;
    } rows[] = {
        {"quoted, with a space and two-byte names", "with space ソフト表", "表示.exe", 1},
        {"unquoted", "plain", "child.exe", 0},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        std::string where = folder.Child(row.folderName);
        ASSERT_TRUE(CreateDirectoryA(where.c_str(), NULL)) << where << " error " << GetLastError();
        std::string program = where + "\\" + row.programName;
        ASSERT_TRUE(WriteFileBytes(program, childBytes)) << program;
        std::string commandLine = row.quoted ? "\"" + program + "\" -x \"a b\"" : program + " -x";
        std::string output = RunChild(program, commandLine);
        EXPECT_EQ(where + "\\\n" + commandLine, output);
    }
}

// The running test itself: its folder is <build>\tests\.
TEST(ModuleDirectory, OwnProcess)
{
    char expected[MAX_PATH];
    DWORD n = GetModuleFileNameA(NULL, expected, sizeof(expected));
    ASSERT_TRUE(n > 0 && n < sizeof(expected)) << "error " << GetLastError();
    char *separator = FindLastCharDbcs(expected, '\\');
    ASSERT_TRUE(separator != NULL) << expected;
    separator[1] = '\0';

    unsigned char buffer[MAX_PATH + Slack];
    memset(buffer, Sentinel, sizeof(buffer));
    GetModuleDirectory((char *)buffer);
    SCOPED_TRACE(std::string("command line ") + GetCommandLineA());
    std::string got((const char *)buffer, strnlen((const char *)buffer, MAX_PATH));
    // The command line may name the program by a different but equal path
    // (case, short or long form); compare what the platform resolves.
    char resolvedGot[MAX_PATH], resolvedExpected[MAX_PATH];
    ASSERT_TRUE(GetLongPathNameA(got.c_str(), resolvedGot, sizeof(resolvedGot))) << got;
    ASSERT_TRUE(GetLongPathNameA(expected, resolvedExpected, sizeof(resolvedExpected))) << expected;
    EXPECT_EQ(0, lstrcmpiA(resolvedExpected, resolvedGot)) << "got " << got << ", expected " << expected;
    for (size_t i = MAX_PATH; i < sizeof(buffer); ++i)
        ASSERT_EQ(Sentinel, buffer[i]) << "byte " << i << " written";
}

}  // namespace

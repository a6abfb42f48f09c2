// Where the tests find the build: every test executable lives in
// <build>/tests, so the build folder is its parent. Results are ANSI paths
// with no trailing backslash.
#ifndef TESTS_SUPPORT_TEST_PATHS_H
#define TESTS_SUPPORT_TEST_PATHS_H

#include <string>

std::string TestBuildDir();                       // <build>
std::string TestPatchExePath();                   // <build>\patch.exe
std::string TestPayloadPath(const char *name);    // <build>\payloads\<name>
std::string TestScreenshotPath(const char *name); // <build>\screenshots\<name>.png (folder made)

#endif

// Whole-file reads and writes for test fixtures. Paths are ANSI (Shift-JIS).
#ifndef TESTS_SUPPORT_FILE_BYTES_H
#define TESTS_SUPPORT_FILE_BYTES_H

#include <string>

// Returns 1 and the file's bytes in *out, or 0 when it cannot be read.
int ReadFileBytes(const std::string &path, std::string *out);
// Creates or replaces the file with exactly these bytes; 1 on success.
int WriteFileBytes(const std::string &path, const std::string &bytes);
// 1 when the path names an existing entry of any kind.
int PathPresent(const std::string &path);
// Names of the entries in a folder (no "." or ".."), sorted.
std::string ListFolder(const std::string &folder);

#endif

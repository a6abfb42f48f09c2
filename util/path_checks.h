// Existence checks for files and folders over ANSI (Shift-JIS) paths.
#ifndef UTIL_PATH_CHECKS_H
#define UTIL_PATH_CHECKS_H

// 1 when the path, passed to the platform unchanged, names an existing entry
// that is not a directory; 0 otherwise (nothing there, a directory, a
// malformed name, no access).
int FileExists(const char *path);

// 1 when the path names an existing directory, whatever its other attribute
// bits; one trailing backslash is allowed. 0 otherwise, and 0 for the empty
// string and for paths of 260 bytes or more.
int DirectoryExists(const char *path);

#endif

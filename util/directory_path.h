// Creates every missing directory along an ANSI (Shift-JIS) path.
#ifndef UTIL_DIRECTORY_PATH_H
#define UTIL_DIRECTORY_PATH_H

// Every prefix of path that ends before a backslash is made a directory if it
// is not one yet, shortest first; the part after the last backslash is never
// created (new\sub\ makes new and new\sub, new\sub makes only new).
// Nonzero when every such prefix exists or was created; 0 when the path holds
// no backslash, is 260 bytes or longer, or a creation failed (the walk stops
// there; directories already made stay).
int CreateDirectoryPath(const char *path);

// Test seam: when set, called with each prefix after it tested as missing and
// just before it is created. Nothing in the program sets it; the tests use it
// to make a prefix appear in exactly that gap, which is the race with another
// process that the walk must survive and that cannot be timed from outside.
extern void (*BeforeCreatePrefix)(const char *prefix);

#endif

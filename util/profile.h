// Single values of profile (INI) files through the platform's private-profile
// calls. Every function takes the file name first, then the section, then the
// key: the reverse of the platform's own order.
#ifndef UTIL_PROFILE_H
#define UTIL_PROFILE_H

#include <windows.h>

// The value as a number by the atoi rule (leading white space, an optional
// sign, digits up to the first non-digit; no digits give 0). A number beyond
// the signed 32-bit range gives INT_MIN or INT_MAX. A missing file, section
// or key gives -1, as does a process heap that cannot supply the buffer.
int ReadIniInt(const char *file, const char *section, const char *key);

// The value, or "NotFound" when the file, section or key is missing.
//   buffer given, heap NULL: the value in buffer (*size bytes). A value that
//     fills it entirely may have been cut, so that gives NULL.
//   buffer given, heap given: buffer must come from heap. When the value does
//     not fit, it is read into a block on heap grown 50 bytes at a time, and
//     once it fits buffer is freed and that block returned: use the returned
//     pointer and *size in place of your own afterwards.
//   buffer NULL, heap given: a new 10-byte block on heap, grown likewise.
//   buffer NULL, heap NULL: NULL; neither size nor the file is touched.
// *size changes only when a block is returned, and then holds its size in
// bytes. The caller frees a block from heap with HeapFree(heap, 0, block).
//
// When the heap cannot supply or grow a block the result is NULL and nothing
// stays allocated: a block the function took is freed again, and a caller's
// buffer is left exactly as it was (same address, same *size, still the
// caller's to free): it is never handed to HeapReAlloc, only replaced once a
// larger block holds the whole value.
// A NULL size, or *size below 1 with a caller's buffer, gives NULL.
char *ReadIniString(const char *file, const char *section, const char *key, char *buffer,
                    int *size, HANDLE heap);

// The platform's result: nonzero on success, 0 on failure.
BOOL WriteIniInt(const char *file, const char *section, const char *key, int value);
// A NULL value removes the key, a NULL key the whole section.
BOOL WriteIniString(const char *file, const char *section, const char *key, const char *value);

#endif

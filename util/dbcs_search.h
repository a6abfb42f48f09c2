// Double-byte-aware search for a single-byte character in Shift-JIS text.
// The lead and trail ranges are fixed constants, not the platform's code
// page, so a path splits the same way on every machine.
#ifndef UTIL_DBCS_SEARCH_H
#define UTIL_DBCS_SEARCH_H

// 0x81-0x9F or 0xE0-0xFC.
int IsShiftJisLeadByte(unsigned char byte);
// 0x40-0xFC except 0x7F.
int IsShiftJisTrailByte(unsigned char byte);

// First / last single-byte character equal to character, or NULL. Never
// matches either byte of a two-byte character and never reads past the
// terminator. The result points into string (writable when string is).
char *FindCharDbcs(const char *string, char character);
char *FindLastCharDbcs(const char *string, char character);

#endif

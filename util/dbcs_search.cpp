// Double-byte-aware character search (see dbcs_search.h). A lead byte that is
// not followed by a trail byte is a character by itself, so the byte after it
// starts the next character; the byte after a lead is at most the terminator,
// so no byte past the terminator is ever read.
#include "util/dbcs_search.h"

#include <stddef.h>

int IsShiftJisLeadByte(unsigned char byte)
{
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

int IsShiftJisTrailByte(unsigned char byte)
{
    return byte >= 0x40 && byte <= 0xFC && byte != 0x7F;
}

// One scan for both searches: stops at the first match when first is set,
// otherwise returns the last match.
static char *ScanDbcs(const char *string, char character, int first)
{
    if (string == NULL)
        return NULL;
    const unsigned char *p = (const unsigned char *)string;
    const unsigned char *match = NULL;
    while (*p != 0) {
        if (IsShiftJisLeadByte(p[0]) && IsShiftJisTrailByte(p[1])) {
            p += 2;
            continue;
        }
        if (*p == (unsigned char)character) {
            if (first)
                return (char *)p;
            match = p;
        }
        p += 1;
    }
    return (char *)match;
}

char *FindCharDbcs(const char *string, char character)
{
    return ScanDbcs(string, character, 1);
}

char *FindLastCharDbcs(const char *string, char character)
{
    return ScanDbcs(string, character, 0);
}

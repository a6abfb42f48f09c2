// Turns a resource specifier into a resource handle (see resource_spec.h).
// The split goes through the double-byte-aware search, so a Shift-JIS
// character in TYPE or NAME never ends TYPE early.
#include "payload/resource_spec.h"

#include "util/dbcs_search.h"

HRSRC FindResourceBySpec(const char *specifier)
{
    if (specifier == NULL)
        return NULL;
    char type[260];
    char name[260];
    // Both pieces are shorter than the whole, so a whole that fits one
    // buffer lets each piece fit its own.
    if (lstrlenA(specifier) >= (int)sizeof(type))
        return NULL;
    const char *last = FindLastCharDbcs(specifier, '%');
    if (last == NULL)
        return NULL;
    int k = (int)(last - specifier);
    // k == 0: the only "%" is the first character; k == 1: "%%NAME".
    if (k < 2 || last[1] == '\0')
        return NULL;
    // lstrcpynA copies k - 1 characters, 1 to k - 1, and terminates.
    lstrcpynA(type, specifier + 1, k);
    lstrcpynA(name, last + 1, sizeof(name));
    return FindResourceA(NULL, name, type);
}

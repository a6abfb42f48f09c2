// Resource specifiers: "%TYPE%NAME" names a resource of the program's own
// executable by its string type and string name. Only the last "%" separates,
// so a "%" inside TYPE stays part of it ("%A%B%C" is type A%B, name C).
#ifndef PAYLOAD_RESOURCE_SPEC_H
#define PAYLOAD_RESOURCE_SPEC_H

#include <windows.h>

// The resource in the own executable, or NULL: no "%" after the first
// character, an empty TYPE or NAME, a specifier of 260 bytes or more, or no
// such resource (then FindResourceA's error is left in GetLastError). Safe
// on any thread; allocates nothing.
HRSRC FindResourceBySpec(const char *specifier);

#endif

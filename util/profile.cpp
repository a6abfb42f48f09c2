// Profile-file readers and writers (see profile.h). The readers grow their
// buffer until the platform's copy is no longer cut: GetPrivateProfileStringA
// returns exactly size - 1 for a cut value, and a value that just fills the
// buffer cannot be told from one that was cut, so that too counts as cut.
#include "util/profile.h"

#include <limits.h>

static const int IntFirstSize = 50;
static const int StringFirstSize = 10;
static const int GrowthStep = 50;

// The atoi rule, saturating at INT_MIN / INT_MAX instead of wrapping.
static int TextToInt(const char *text)
{
    const char *p = text;
    while (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\v' || *p == '\f' || *p == '\r')
        ++p;
    int negative = 0;
    if (*p == '+' || *p == '-') {
        negative = (*p == '-');
        ++p;
    }
    // Magnitudes beyond 2^31 all saturate, so the sum stops growing there.
    const long long limit = 2147483648LL;
    long long magnitude = 0;
    while (*p >= '0' && *p <= '9') {
        if (magnitude <= limit)
            magnitude = magnitude * 10 + (*p - '0');
        ++p;
    }
    if (negative)
        return magnitude >= limit ? INT_MIN : (int)-magnitude;
    return magnitude >= limit ? INT_MAX : (int)magnitude;
}

int ReadIniInt(const char *file, const char *section, const char *key)
{
    HANDLE heap = GetProcessHeap();
    int size = IntFirstSize;
    char *buffer = (char *)HeapAlloc(heap, HEAP_ZERO_MEMORY, size);
    if (buffer == NULL)
        return -1;
    for (;;) {
        int n = (int)GetPrivateProfileStringA(section, key, "-1", buffer, size, file);
        if (n != size - 1)
            break;
        char *grown = size <= INT_MAX - GrowthStep
                          ? (char *)HeapReAlloc(heap, HEAP_ZERO_MEMORY, buffer, size + GrowthStep)
                          : NULL;
        if (grown == NULL) {
            HeapFree(heap, 0, buffer);
            return -1;
        }
        buffer = grown;
        size += GrowthStep;
    }
    int value = TextToInt(buffer);
    HeapFree(heap, 0, buffer);
    return value;
}

char *ReadIniString(const char *file, const char *section, const char *key, char *buffer,
                    int *size, HANDLE heap)
{
    if (buffer == NULL && heap == NULL)
        return NULL;
    if (size == NULL)
        return NULL;
    // block is where the value is read; owned says the function took it from
    // heap itself, so it must free it on failure. A caller's buffer is never
    // handed to HeapReAlloc: a move would leave the caller holding a freed
    // address if a later growth then failed.
    char *block = buffer;
    int blockSize = *size;
    int owned = 0;
    if (block == NULL) {
        blockSize = StringFirstSize;
        block = (char *)HeapAlloc(heap, HEAP_ZERO_MEMORY, blockSize);
        if (block == NULL)
            return NULL;
        owned = 1;
    } else if (blockSize < 1) {
        return NULL;
    }
    for (;;) {
        int n = (int)GetPrivateProfileStringA(section, key, "NotFound", block, blockSize, file);
        if (n != blockSize - 1)
            break;
        if (heap == NULL)
            return NULL;  // block is the caller's here, holding the cut value
        char *grown = NULL;
        if (blockSize <= INT_MAX - GrowthStep) {
            if (owned)
                grown = (char *)HeapReAlloc(heap, HEAP_ZERO_MEMORY, block, blockSize + GrowthStep);
            else
                grown = (char *)HeapAlloc(heap, HEAP_ZERO_MEMORY, blockSize + GrowthStep);
        }
        if (grown == NULL) {
            if (owned)
                HeapFree(heap, 0, block);
            return NULL;
        }
        block = grown;
        blockSize += GrowthStep;
        owned = 1;
    }
    // The value now fits in block. If that is no longer the caller's buffer,
    // the buffer has been replaced, just as a moving reallocation would have.
    if (buffer != NULL && block != buffer)
        HeapFree(heap, 0, buffer);
    *size = blockSize;
    return block;
}

BOOL WriteIniInt(const char *file, const char *section, const char *key, int value)
{
    char text[12];  // "-2147483648" and the NUL
    wsprintfA(text, "%d", value);
    return WritePrivateProfileStringA(section, key, text, file);
}

BOOL WriteIniString(const char *file, const char *section, const char *key, const char *value)
{
    return WritePrivateProfileStringA(section, key, value, file);
}

// The allocation functions of patch.exe itself, in place of the C++
// library's. The program is built without exception support so that the
// unwinder, the personality routine and the library's verbose terminate
// handler (with its demangler and printf) stay out of the executable; they
// would be most of its code.
//
// Nothing is lost by it. The only exception the program's code can meet is
// the allocation failure, and nothing in the program catches it: the
// library's operator new would throw std::bad_alloc, the runtime would find
// no handler and call std::terminate without unwinding a single frame, and
// terminate ends in abort(). Here a refused allocation calls abort() at
// once: the same end (the run-time's "abnormal program termination" and exit
// code 3), reached without the machinery. Code that can handle an
// allocation failure asks for it with std::nothrow and gets NULL, as the
// language specifies.
//
// Blocks come from the process heap. This unit is linked into patch.exe
// only; the core library and its tests keep the language's throwing
// operator new.
#include <windows.h>

#include <cstdlib>
#include <new>

static void *AllocateOrNull(size_t size)
{
    // A zero-byte request still yields a distinct block.
    return HeapAlloc(GetProcessHeap(), 0, size ? size : 1);
}

static void *AllocateOrAbort(size_t size)
{
    void *block = AllocateOrNull(size);
    if (block == NULL)
        std::abort();
    return block;
}

static void Release(void *block)
{
    if (block != NULL)
        HeapFree(GetProcessHeap(), 0, block);
}

void *operator new(size_t size)
{
    return AllocateOrAbort(size);
}

void *operator new[](size_t size)
{
    return AllocateOrAbort(size);
}

void *operator new(size_t size, const std::nothrow_t &) noexcept
{
    return AllocateOrNull(size);
}

void *operator new[](size_t size, const std::nothrow_t &) noexcept
{
    return AllocateOrNull(size);
}

void operator delete(void *block) noexcept
{
    Release(block);
}

void operator delete[](void *block) noexcept
{
    Release(block);
}

void operator delete(void *block, size_t) noexcept
{
    Release(block);
}

void operator delete[](void *block, size_t) noexcept
{
    Release(block);
}

void operator delete(void *block, const std::nothrow_t &) noexcept
{
    Release(block);
}

void operator delete[](void *block, const std::nothrow_t &) noexcept
{
    Release(block);
}

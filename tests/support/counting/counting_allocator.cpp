// Counting allocator for tests (see counting_allocator.h).
#include "tests/support/counting/counting_allocator.h"

#include <cstdlib>
#include <new>

std::atomic<long> liveBlocks{0};
std::atomic<int> refuseNext{0};

void *operator new(size_t size)
{
    if (refuseNext > 0) {
        --refuseNext;
        throw std::bad_alloc();
    }
    void *block = std::malloc(size ? size : 1);
    if (block == NULL)
        throw std::bad_alloc();
    ++liveBlocks;
    return block;
}

void operator delete(void *block) noexcept
{
    if (block != NULL) {
        --liveBlocks;
        std::free(block);
    }
}

void operator delete(void *block, size_t) noexcept
{
    operator delete(block);
}

// A replacement of the global operator new / delete for the test programs
// that must see whether code gives back every block it takes, or how it
// behaves when an allocation is refused. Link counting_allocator.cpp into
// such a test program only (it replaces the allocator of the whole program).
#ifndef TESTS_SUPPORT_COUNTING_COUNTING_ALLOCATOR_H
#define TESTS_SUPPORT_COUNTING_COUNTING_ALLOCATOR_H

#include <atomic>

// Blocks allocated and not yet released.
extern std::atomic<long> liveBlocks;
// The next this-many allocations throw std::bad_alloc.
extern std::atomic<int> refuseNext;

#endif

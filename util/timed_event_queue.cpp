// Timed event queue (see timed_event_queue.h).
//
// The process-wide queue is constructed during static initialisation, in
// another unit, at a point where this unit's own dynamic initialisers may not
// have run yet. So the two clock pointers below are constant-initialised
// (zero) and the platform clock is looked up on first use instead of by an
// initialiser of its own.
#include "util/timed_event_queue.h"

#include "util/system_library.h"

#include <atomic>
#include <new>

static std::atomic<TimedEventQueueClock> clockOverride{nullptr};
static std::atomic<TimedEventQueueClock> platformClock{nullptr};

TimedEventQueueClock SetTimedEventQueueClock(TimedEventQueueClock clock)
{
    return clockOverride.exchange(clock);
}

TimedEventQueueClock TimedEventQueuePlatformClock()
{
    TimedEventQueueClock clock = platformClock.load();
    if (clock != NULL)
        return clock;
    // winmm stays loaded for the rest of the process: every later reading
    // goes through it. Two threads racing here both find the same function,
    // and the extra module reference is harmless.
    HMODULE winmm = LoadSystemLibrary("winmm.dll");
    if (winmm != NULL)
        clock = (TimedEventQueueClock)(void *)GetProcAddress(winmm, "timeGetTime");
    if (clock == NULL)
        clock = GetTickCount;
    platformClock.store(clock);
    return clock;
}

static unsigned int ReadClock()
{
    TimedEventQueueClock clock = clockOverride.load();
    if (clock == NULL)
        clock = TimedEventQueuePlatformClock();
    return (unsigned int)clock();
}

// The first block holds this many events; each later one twice as many.
#define FIRST_CAPACITY 8

void TimedEventList::PushBack(const TimedEvent &event)
{
    if (count == capacity) {
        size_t grown = capacity ? capacity * 2 : FIRST_CAPACITY;
        // A byte count that would not fit size_t asks for the whole address
        // space instead, which no allocator grants: it then fails as any
        // refused allocation does, and this code throws nothing of its own.
        size_t bytes = grown <= (size_t)-1 / sizeof(TimedEvent) ? grown * sizeof(TimedEvent)
                                                                 : (size_t)-1;
        // Allocated before anything changes: if it fails, the list is as it was.
        TimedEvent *block = (TimedEvent *)::operator new(bytes);
        for (size_t i = 0; i < count; ++i)
            block[i] = slots[(head + i) % capacity];
        ::operator delete(slots);
        slots = block;
        capacity = grown;
        head = 0;
    }
    slots[(head + count) % capacity] = event;
    ++count;
}

void TimedEventList::PopFront(TimedEvent *out)
{
    *out = slots[head];
    head = (head + 1) % capacity;
    --count;
}

void TimedEventList::Release()
{
    ::operator delete(slots);
    slots = NULL;
    capacity = 0;
    head = 0;
    count = 0;
}

TimedEventQueue::TimedEventQueue() : startTime(ReadClock())
{
}

TimedEventQueue::TimedEventQueue(int code) : startTime(ReadClock())
{
    TimedEvent event;
    event.code = code;
    // Unsigned arithmetic: the difference is right across a clock wrap.
    event.time = ReadClock() - startTime;
    events.PushBack(event);
}

TimedEventQueue::~TimedEventQueue()
{
}

bool TimedEventQueue::Pop(TimedEvent *out)
{
    if (events.Empty())
        return true;
    events.PopFront(out);
    return false;
}

void TimedEventQueue::Clear()
{
    events.Release();
}

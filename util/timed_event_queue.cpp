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

void TimedEventList::PopFront(TimedEvent *out)
{
    *out = items.front();
    items.pop_front();
}

void TimedEventList::Release()
{
    // clear() keeps a block and the map; swapping with a fresh list hands
    // everything the events used back at once.
    std::deque<TimedEvent>().swap(items);
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

// A first-in, first-out queue of integer event codes, each stamped with the
// milliseconds between the queue's creation and the moment it was queued.
// The clock is the multimedia timer's timeGetTime, found at run time in the
// system folder's winmm.dll (the program imports no winmm), with GetTickCount
// standing in where winmm or the function is missing. Elapsed times are
// computed modulo 2^32, so a clock wrap between two readings still gives the
// true difference.
#ifndef UTIL_TIMED_EVENT_QUEUE_H
#define UTIL_TIMED_EVENT_QUEUE_H

#include <windows.h>

#include <stddef.h>

struct TimedEvent {
    int code;
    unsigned int time;  // milliseconds from the queue's startTime, modulo 2^32
};

// A 32-bit millisecond counter: timeGetTime and GetTickCount both fit it.
typedef DWORD(WINAPI *TimedEventQueueClock)(void);

// Replaces the clock every queue reads (for tests that need known readings,
// such as a clock about to wrap); NULL goes back to the platform clock.
// Returns the clock that was set before (NULL for the platform clock).
TimedEventQueueClock SetTimedEventQueueClock(TimedEventQueueClock clock);
// The platform clock the queues read when none is set: timeGetTime from the
// system folder's winmm.dll, or GetTickCount. Resolved on first use, which is
// usually during static initialisation; never NULL.
TimedEventQueueClock TimedEventQueuePlatformClock();

// The double-ended queue behind TimedEventQueue::events: a ring of slots in
// one block from operator new, doubled when full, so a failed allocation
// propagates as std::bad_alloc with the list unchanged. The queue uses only
// these four operations, so the container can change without touching it.
// (std::deque would serve too, but its length-error paths drag the whole
// exception-class and string machinery of libstdc++ into the executable.)
class TimedEventList {
public:
    TimedEventList() : slots(NULL), capacity(0), head(0), count(0) {}
    ~TimedEventList() { Release(); }
    int Empty() const { return count == 0 ? 1 : 0; }
    void PushBack(const TimedEvent &event);
    // Removes the oldest event into *out; the list must not be empty.
    void PopFront(TimedEvent *out);
    // Removes every event and gives back the storage they took.
    void Release();

private:
    TimedEvent *slots;  // capacity slots, owned; NULL while capacity is 0
    size_t capacity;
    size_t head;        // slot of the oldest event
    size_t count;

    TimedEventList(const TimedEventList &) = delete;
    TimedEventList &operator=(const TimedEventList &) = delete;
};

// Not meant as a base class (the destructor is not virtual), hence final.
class TimedEventQueue final {
public:
    TimedEventList events;
    unsigned int startTime;  // clock reading at construction; never changed

    TimedEventQueue();
    // Also queues one event with this code; its time is a second clock reading
    // minus startTime. An allocation failure propagates as std::bad_alloc.
    explicit TimedEventQueue(int code);
    ~TimedEventQueue();

    // true when the queue was empty (*out left as it was); false when the
    // oldest event was copied into *out and removed.
    virtual bool Pop(TimedEvent *out);
    // Removes every event; startTime stays.
    virtual void Clear();

private:
    TimedEventQueue(const TimedEventQueue &) = delete;
    TimedEventQueue &operator=(const TimedEventQueue &) = delete;
};

#endif

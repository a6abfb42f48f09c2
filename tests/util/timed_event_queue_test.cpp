// The timed event queue: order, the empty result of Pop, Clear, release of
// storage, and elapsed times taken modulo 2^32 from two clock readings. Known
// readings come through the clock seam; the platform clock is checked to be
// winmm's timeGetTime from the system folder, found during static
// initialisation.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

#include "tests/support/counting/counting_allocator.h"
#include "util/system_library.h"
#include "util/timed_event_queue.h"

// Every operator new / delete of this executable is counted
// (tests/support/counting), so a test can see whether the queue gave back
// everything it took.

// Like the program's own process-wide queue: built before main, before any
// test could have touched the clock. The module capture below runs after it
// (same unit, declaration order).
static TimedEventQueue startupQueue(11);
static HMODULE winmmAfterStartupQueue = GetModuleHandleA("winmm.dll");

// A scripted clock: returns the readings in order, then keeps the last one.
static DWORD scriptedReadings[4];
static int scriptedCount = 0;
static int scriptedNext = 0;
static DWORD WINAPI ScriptedClock(void)
{
    int index = scriptedNext < scriptedCount ? scriptedNext++ : scriptedCount - 1;
    return scriptedReadings[index];
}
static void ScriptClock(DWORD first, DWORD second)
{
    scriptedReadings[0] = first;
    scriptedReadings[1] = second;
    scriptedCount = 2;
    scriptedNext = 0;
    SetTimedEventQueueClock(ScriptedClock);
}

// The CTest entry that disables winmm says so on the command line (an option
// GoogleTest leaves alone), so a lost environment cannot turn it into a skip.
static bool RunWithoutWinmm()
{
    return strstr(GetCommandLineA(), "--expect-no-winmm") != NULL;
}

class TimedEventQueueTest : public ::testing::Test {
protected:
    void TearDown() override { SetTimedEventQueueClock(NULL); }
};

TEST_F(TimedEventQueueTest, DefaultQueuePopsNothingAndLeavesRecord)
{
    TimedEventQueue queue;
    TimedEvent record = {0x5A5A5A5A, 0xA5A5A5A5u};
    EXPECT_TRUE(queue.Pop(&record)) << "an empty queue reports true";
    EXPECT_EQ(0x5A5A5A5A, record.code);
    EXPECT_EQ(0xA5A5A5A5u, record.time);
}

TEST_F(TimedEventQueueTest, CodeConstructorQueuesOneEventThenEmpty)
{
    ScriptClock(1000, 1003);
    TimedEventQueue queue(7);
    EXPECT_EQ(1000u, queue.startTime);
    EXPECT_EQ(2, scriptedNext) << "one reading for startTime, one for the event";
    TimedEvent record = {-1, 0xFFFFFFFFu};
    ASSERT_FALSE(queue.Pop(&record)) << "the event should come out";
    EXPECT_EQ(7, record.code);
    EXPECT_EQ(3u, record.time) << "second reading minus startTime";
    TimedEvent after = {0x1234, 0x5678u};
    EXPECT_TRUE(queue.Pop(&after));
    EXPECT_EQ(0x1234, after.code);
    EXPECT_EQ(0x5678u, after.time);
}

TEST_F(TimedEventQueueTest, ElapsedTimeSurvivesClockWrap)
{
    static const struct { DWORD start, append, expected; } cases[] = {
        {0xFFFFFF00u, 256, 512},         // 256 ms before the wrap, 256 ms after
        {0xFFFFFFFFu, 0, 1},
        {5, 5, 0},                       // both readings in the same millisecond
        {0, 0xFFFFFFFFu, 0xFFFFFFFFu},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << "start " << c.start << " append " << c.append);
        ScriptClock(c.start, c.append);
        TimedEventQueue queue(-42);
        EXPECT_EQ(c.start, queue.startTime);
        TimedEvent record = {0, 0};
        ASSERT_FALSE(queue.Pop(&record));
        EXPECT_EQ(-42, record.code);
        EXPECT_EQ(c.expected, record.time);
    }
}

TEST_F(TimedEventQueueTest, ClearEmptiesAndKeepsStartTime)
{
    ScriptClock(777, 780);
    TimedEventQueue queue(3);
    queue.Clear();
    EXPECT_EQ(777u, queue.startTime);
    TimedEvent record = {99, 98u};
    EXPECT_TRUE(queue.Pop(&record)) << "Clear should have removed the event";
    EXPECT_EQ(99, record.code);

    // On an empty queue Clear changes nothing, and the queue stays usable.
    queue.Clear();
    EXPECT_EQ(777u, queue.startTime);
    EXPECT_TRUE(queue.Pop(&record));
    EXPECT_EQ(98u, record.time);
}

TEST_F(TimedEventQueueTest, DestructionReleasesQueuedEvents)
{
    long before = liveBlocks.load();
    TimedEventQueue *queue = new TimedEventQueue(7);
    EXPECT_GT(liveBlocks.load(), before + 1) << "the object and the event storage";
    delete queue;
    EXPECT_EQ(before, liveBlocks.load()) << "blocks left behind by a destroyed queue";
}

TEST_F(TimedEventQueueTest, ClearGivesBackStorage)
{
    long before = liveBlocks.load();
    {
        TimedEventQueue queue(1);
        long withEvent = liveBlocks.load();
        queue.Clear();
        EXPECT_LE(liveBlocks.load(), withEvent);
        TimedEvent record;
        EXPECT_TRUE(queue.Pop(&record));
    }
    EXPECT_EQ(before, liveBlocks.load());
}

TEST_F(TimedEventQueueTest, PlatformClockIsTimeGetTimeFromSystemFolder)
{
    if (RunWithoutWinmm())
        GTEST_SKIP() << "run without winmm";
    HMODULE winmm = GetModuleHandleA("winmm.dll");
    ASSERT_TRUE(winmm != NULL) << "winmm should have been loaded for the clock";
    FARPROC timeGetTime = GetProcAddress(winmm, "timeGetTime");
    ASSERT_TRUE(timeGetTime != NULL);
    EXPECT_EQ((void *)timeGetTime, (void *)TimedEventQueuePlatformClock());

    char modulePath[MAX_PATH];
    DWORD n = GetModuleFileNameA(winmm, modulePath, sizeof(modulePath));
    ASSERT_TRUE(n > 0 && n < sizeof(modulePath)) << GetLastError();
    char systemFolder[MAX_PATH];
    UINT m = GetSystemDirectoryA(systemFolder, sizeof(systemFolder));
    ASSERT_TRUE(m > 0 && m < sizeof(systemFolder));
    std::string expected = std::string(systemFolder) + "\\winmm.dll";
    EXPECT_EQ(0, lstrcmpiA(expected.c_str(), modulePath)) << modulePath;
}

TEST_F(TimedEventQueueTest, StaticQueueWorksFromStartup)
{
    if (RunWithoutWinmm())
        GTEST_SKIP() << "run without winmm";
    EXPECT_TRUE(winmmAfterStartupQueue != NULL)
        << "the static queue's construction should have loaded winmm";
    TimedEvent record = {0, 0};
    ASSERT_FALSE(startupQueue.Pop(&record));
    EXPECT_EQ(11, record.code);
    EXPECT_TRUE(startupQueue.Pop(&record));
}

TEST_F(TimedEventQueueTest, EventsComeOutOldestFirst)
{
    // Only the constructor appends through the class itself; the further
    // events go straight into its list.
    ScriptClock(10, 10);
    TimedEventQueue queue(1);
    TimedEvent second = {2, 20u}, third = {3, 30u};
    queue.events.PushBack(second);
    queue.events.PushBack(third);
    TimedEvent record;
    static const int expectedCodes[] = {1, 2, 3};
    for (int code : expectedCodes) {
        SCOPED_TRACE(code);
        ASSERT_FALSE(queue.Pop(&record));
        EXPECT_EQ(code, record.code);
    }
    EXPECT_TRUE(queue.Pop(&record));
}

// Run by its own CTest entry with winmm disabled for the process (a Wine DLL
// override) and --expect-no-winmm on the command line; skipped otherwise.
TEST_F(TimedEventQueueTest, ClockFallsBackWithoutWinmm)
{
    if (!RunWithoutWinmm())
        GTEST_SKIP() << "only meaningful with winmm disabled";
    HMODULE winmm = LoadSystemLibrary("winmm.dll");
    ASSERT_TRUE(winmm == NULL) << "winmm should be unavailable in this run";
    EXPECT_EQ((void *)GetTickCount, (void *)TimedEventQueuePlatformClock());
    TimedEvent record = {0, 0};
    ASSERT_FALSE(startupQueue.Pop(&record)) << "the static queue was built with the fallback";
    EXPECT_EQ(11, record.code);
}

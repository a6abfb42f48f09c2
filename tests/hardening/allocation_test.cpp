// Allocation failure. In the library, the event queue lets a refused
// allocation propagate as std::bad_alloc and leaves nothing behind; in
// patch.exe, whose allocation functions end the process instead of throwing,
// the end is the same as an uncaught std::bad_alloc's.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <string>

#include "tests/support/counting/counting_allocator.h"
#include "tests/support/gui_driver.h"
#include "tests/support/test_paths.h"
#include "util/timed_event_queue.h"

// Every allocation of this executable is counted, and the next ones can be
// refused on request (tests/support/counting).

namespace {

class QueueAllocation : public ::testing::Test {
protected:
    void TearDown() override
    {
        refuseNext = 0;
        SetTimedEventQueueClock(NULL);
    }
};

TEST_F(QueueAllocation, CodeConstructorPropagatesBadAllocAndLeavesNothing)
{
    long before = liveBlocks.load();
    refuseNext = 1;
    int caught = 0;
    try {
        TimedEventQueue queue(5);
        ADD_FAILURE() << "the queue was built although its allocation was refused";
    } catch (const std::bad_alloc &) {
        caught = 1;
    }
    EXPECT_TRUE(caught) << "no std::bad_alloc came out of the constructor";
    EXPECT_EQ(before, liveBlocks.load()) << "blocks left behind";
}

TEST_F(QueueAllocation, RefusedGrowthLeavesTheEventsAsTheyWere)
{
    TimedEventQueue queue;
    // Enough events to fill any first block and make the next append grow.
    const int count = 64;
    int refusedAt = -1;
    for (int code = 0; code < count; ++code) {
        TimedEvent event = {code, (unsigned int)code * 10};
        long before = liveBlocks.load();
        refuseNext = 1;
        try {
            queue.events.PushBack(event);
            // This append needed no new block: the refusal is still pending.
            refuseNext = 0;
            EXPECT_EQ(before, liveBlocks.load());
        } catch (const std::bad_alloc &) {
            if (refusedAt < 0)
                refusedAt = code;
            EXPECT_EQ(before, liveBlocks.load()) << "the refused growth kept or leaked a block";
            queue.events.PushBack(event);  // allowed now
        }
    }
    EXPECT_EQ(0, refusedAt) << "the first append takes the first block";
    TimedEvent record;
    for (int code = 0; code < count; ++code) {
        SCOPED_TRACE(code);
        ASSERT_FALSE(queue.Pop(&record));
        EXPECT_EQ(code, record.code);
        EXPECT_EQ((unsigned int)code * 10, record.time);
    }
    EXPECT_TRUE(queue.Pop(&record));
}

// Interleaved appends and removals wrap the ring around its block more than
// once, and a growth in the middle keeps the order.
TEST_F(QueueAllocation, OrderSurvivesWrapAndGrowth)
{
    TimedEventQueue queue;
    int nextIn = 0, nextOut = 0;
    TimedEvent record;
    for (int round = 0; round < 40; ++round) {
        for (int i = 0; i < 3; ++i) {
            TimedEvent event = {nextIn, (unsigned int)nextIn};
            queue.events.PushBack(event);
            ++nextIn;
        }
        for (int i = 0; i < 2; ++i) {
            ASSERT_FALSE(queue.Pop(&record));
            EXPECT_EQ(nextOut, record.code);
            ++nextOut;
        }
    }
    while (!queue.Pop(&record)) {
        EXPECT_EQ(nextOut, record.code);
        ++nextOut;
    }
    EXPECT_EQ(nextIn, nextOut);
}

int RunChild(const char *exe, const char *mode)
{
    std::string path = TestBuildDir() + "\\tests\\" + exe;
    DrivenProcess child;
    if (!child.Launch(path, std::string(), mode)) {
        ADD_FAILURE() << path << " error " << GetLastError();
        return -1;
    }
    DWORD code = 0;
    if (!child.WaitForExit(GuiWaitMs, &code)) {
        ADD_FAILURE() << path << " still runs";
        return -1;
    }
    return (int)code;
}

TEST(ProcessAllocation, RefusalEndsLikeAnUncaughtBadAlloc)
{
    static const struct {
        const char *mode;
        int library;  // exit code with the library's operator new
        int own;      // with patch.exe's allocation functions
    } cases[] = {
        {"small", 0, 0},
        {"huge", 3, 3},     // abort(): uncaught std::bad_alloc, or the refusal
        {"nothrow", 4, 4},  // NULL, as the language specifies
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.mode);
        EXPECT_EQ(c.library, RunChild("allocation_child_library.exe", c.mode));
        EXPECT_EQ(c.own, RunChild("allocation_child_own.exe", c.mode));
    }
}

}  // namespace

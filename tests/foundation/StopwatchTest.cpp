#include "foundation/Stopwatch.h"

#include "platform/win32/Clock.h"

#include <gtest/gtest.h>

TEST(StopwatchTest, ElapsedIsTheTimeBetweenTheLastTwoTicks)
{
    CTestClockScope clock(1000);
    CStopwatch watch;
    EXPECT_EQ(0u, watch.GetElapsed());
    clock.Advance(40);
    EXPECT_EQ(1040u, watch.Tick());
    EXPECT_EQ(40u, watch.GetElapsed());
    clock.Advance(15);
    watch.Tick();
    EXPECT_EQ(15u, watch.GetElapsed());
    EXPECT_EQ(1055u, watch.GetLastTick());
}

TEST(StopwatchTest, PausedTimeIsNeverCounted)
{
    CTestClockScope clock(5000);
    CStopwatch watch;
    clock.Advance(20);
    watch.Tick();
    watch.Pause();
    EXPECT_EQ(0u, watch.GetElapsed());
    clock.Advance(3000); // a modal dialog stays open
    watch.Tick();
    EXPECT_EQ(0u, watch.GetElapsed()) << "ticks while paused still read 0";

    clock.Advance(500);
    watch.Resume();
    EXPECT_EQ(0u, watch.GetElapsed());
    clock.Advance(25);
    watch.Tick();
    EXPECT_EQ(25u, watch.GetElapsed()) << "only the time since the resume";
}

TEST(StopwatchTest, ElapsedSurvivesTheClockWrap)
{
    CTestClockScope clock(0xFFFFFFF0u);
    CStopwatch watch;
    clock.Advance(0x30); // the clock wraps to 0x20
    watch.Tick();
    EXPECT_EQ(0x30u, watch.GetElapsed());
}

TEST(StopwatchTest, ATickAfterAZeroLastKeepsThePreviousTime)
{
    // A clock that reads 0 at construction leaves last = 0, which Tick takes for the mark that
    // Resume leaves: previous stays where it is.
    CTestClockScope clock(0);
    CStopwatch watch;
    clock.Advance(30);
    watch.Tick();
    EXPECT_EQ(30u, watch.GetElapsed());
    clock.Advance(10);
    watch.Tick();
    EXPECT_EQ(10u, watch.GetElapsed());
}

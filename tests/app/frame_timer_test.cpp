// The frame timer fed with counter values: rates, the stall rule, the
// 30-frame average and frames that read the same counter value.
#include "app/frame_timer.h"

#include <gtest/gtest.h>

namespace {

class Timing : public ::testing::Test {
protected:
    void SetUp() override
    {
        timer.setFrequency(1000);
        timer.Reset(5000);
    }
    // Advances the counter by delta counts and ticks.
    void tick(uint64_t delta)
    {
        now += delta;
        timer.Tick(now);
    }
    FrameTimer timer;
    uint64_t now = 5000;
};

TEST_F(Timing, RateAndTimeOfAFrame)
{
    tick(20);
    EXPECT_FLOAT_EQ(timer.frameRate(), 50.0f);
    EXPECT_FLOAT_EQ(timer.frameTime(), 0.02f);
    tick(980);
    EXPECT_DOUBLE_EQ(timer.secondsSinceStart(), 1.0);
}

TEST_F(Timing, AverageAppearsAfterThirtyFrames)
{
    for (int i = 0; i < 29; ++i) tick(10);
    EXPECT_FLOAT_EQ(timer.averageFrameRate(), 0.0f);  // the first 29 frames show 0
    tick(10);
    EXPECT_FLOAT_EQ(timer.averageFrameRate(), 100.0f);
    // The ring keeps the last 30: 15 frames at 50 per second halve the gap.
    for (int i = 0; i < 15; ++i) tick(20);
    EXPECT_FLOAT_EQ(timer.averageFrameRate(), 75.0f);
}

TEST_F(Timing, StallCountsAsZeroWhileTheAverageIsHigh)
{
    for (int i = 0; i < 30; ++i) tick(10);
    tick(300);  // 3.3 frames per second: a dialog or a window drag
    EXPECT_FLOAT_EQ(timer.frameRate(), 0.0f);
    EXPECT_FLOAT_EQ(timer.frameTime(), 0.0f);
    // Without a high average a slow frame is just slow.
    timer.Reset(now);
    tick(300);
    EXPECT_NEAR(timer.frameRate(), 3.333f, 0.001f);
    EXPECT_NEAR(timer.frameTime(), 0.3f, 1e-6f);
}

TEST_F(Timing, UnchangedCounterIsAZeroTimeFrame)
{
    for (int i = 0; i < 30; ++i) tick(10);
    float average = timer.averageFrameRate();
    double seconds = timer.secondsSinceStart();
    for (int i = 0; i < 1000; ++i) tick(0);  // never a box, never a division by zero
    EXPECT_FLOAT_EQ(timer.frameTime(), 0.0f);
    EXPECT_FLOAT_EQ(timer.averageFrameRate(), average);
    EXPECT_DOUBLE_EQ(timer.secondsSinceStart(), seconds);
    // A counter that steps back is no time either, and the next real frame
    // measures from the last good value.
    timer.Tick(now - 5);
    EXPECT_FLOAT_EQ(timer.frameTime(), 0.0f);
    tick(10);
    EXPECT_FLOAT_EQ(timer.frameRate(), 100.0f);
}

TEST_F(Timing, ResetClearsTheRing)
{
    for (int i = 0; i < 30; ++i) tick(10);
    timer.Reset(now);
    EXPECT_FLOAT_EQ(timer.averageFrameRate(), 0.0f);
    EXPECT_DOUBLE_EQ(timer.secondsSinceStart(), 0.0);
}

}  // namespace

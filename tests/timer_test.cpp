#include <gtest/gtest.h>

#include <unistd.h>

#include "varnholt/base/byte_order.h"
#include "varnholt/base/timer.h"

using namespace varnholt;

TEST(Timer, StoppedTimerKeepsItsTotal)
{
    Timer timer(false);
    const double total = timer.elapsed();
    EXPECT_LT(total, 0.001);
    usleep(20000);
    EXPECT_EQ(timer.elapsed(), total);
    EXPECT_EQ(timer.stop(), total);
    EXPECT_EQ(timer.stop(), total);
}

TEST(Timer, RunningTimerAccumulatesAcrossStartsAndStops)
{
    Timer timer(true);
    usleep(20000);
    const double first = timer.stop();
    EXPECT_GE(first, 0.015);
    usleep(20000);
    timer.start();
    // Time while stopped does not count.
    EXPECT_LT(timer.elapsed() - first, 0.015);
}

TEST(Timer, RestartingARunningTimerDropsTheTimeSinceItsLastSample)
{
    Timer timer(true);
    const double before = timer.elapsed();
    usleep(30000);
    timer.start();
    EXPECT_LT(timer.elapsed() - before, 0.02);
}

TEST(ByteOrder, DetectsALittleEndianHostAndSwapsBytes)
{
    byteorder_init();
    ASSERT_FALSE(host_big_endian());
    EXPECT_EQ(big_endian_long(0x01020304), 0x04030201);
    EXPECT_EQ(little_endian_long(0x01020304), 0x01020304);
    EXPECT_EQ(big_endian_short(0x00FF), -256);
    EXPECT_EQ(swap_long(-2), static_cast<std::int32_t>(0xFEFFFFFF));
    for (float value : {1.5f, -0.25f})
        EXPECT_EQ(swap_float(swap_float(value)), value);
    EXPECT_NE(big_endian_float(1.5f), 1.5f);
    EXPECT_EQ(little_endian_float(1.5f), 1.5f);
}

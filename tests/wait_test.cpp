#include <gtest/gtest.h>

#include <cstdint>

#include "varnholt/base/clock.h"
#include "varnholt/engine/wait.h"

using namespace varnholt;

// The frame loop hands the wait a tick's deadline in nanoseconds: the wait
// must end at it, not before it, not a unit off, and not at all for one past.
TEST(WaitForInput, EndsAtItsDeadlineAndNotBefore)
{
    constexpr std::int64_t ms = 1'000'000;
    for (const std::int64_t wait : {-5 * ms, 0 * ms, 3 * ms, 30 * ms}) {
        const std::int64_t start = monotonic_ns();
        wait_for_input(-1, -1, start + wait);
        const std::int64_t waited = monotonic_ns() - start;
        EXPECT_GE(waited, wait) << wait;
        EXPECT_LT(waited, (wait > 0 ? wait : 0) + 50 * ms) << wait;
    }
}

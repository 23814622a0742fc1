#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "varnholt/engine/tick.h"

using namespace varnholt;

namespace {
constexpr std::int64_t ms = 1'000'000;
// Tick k at 60 Hz, on a grid starting at 0: k * 10^9 / 60 rounded down.
constexpr std::int64_t at60(std::int64_t k)
{
    return k * 1'000'000'000 / 60;
}

enum class Op { due, due_at_deadlines, rate };

// `due` at `at` gives `result`; `due_at_deadlines` ticks `count` times, each
// exactly at its deadline; `rate` sets `count` at `at` and gives `result`.
struct Step {
    Op op;
    std::int64_t at;
    bool result;
    int count = 0;
};

struct Case {
    const char* name;
    std::vector<Step> steps;
    std::int64_t next_deadline;
    std::uint64_t ticks_at_rate;
    std::uint64_t late;
    std::uint64_t dropped;
    std::int64_t median_lateness;
    std::int64_t max_lateness;
};

const Case cases[] = {
    {"on time: never early, each deadline from its own number",
     {{Op::due, 0, true}, {Op::due, at60(1) - 1, false}, {Op::due, at60(1), true}, {Op::due, at60(2), true},
      {Op::due, at60(2), false}},
     at60(3), 3, 0, 0, 0, 0},
    {"ten minutes at 60 Hz end exactly on the grid",
     {{Op::due, 0, true}, {Op::due_at_deadlines, 0, true, 36'000}},
     600'000 * ms + at60(1), 36'001, 0, 0, 0, 0},
    {"late by less than a step: the next deadline stays on the grid",
     {{Op::due, 0, true}, {Op::due, at60(1) + 5 * ms, true}, {Op::due, at60(2) - 1, false},
      {Op::due, at60(2), true}},
     at60(3), 3, 1, 0, 0, 5 * ms},
    {"the lateness figures cover the last 1000 ticks, the count of late ones all",
     {{Op::due, 0, true}, {Op::due, at60(1) + 5 * ms, true}, {Op::due_at_deadlines, 0, true, 1000}},
     at60(1002), 1002, 1, 0, 0, 0},
    {"a stall of a second: five overdue ticks run, the rest are dropped",
     {{Op::due, 0, true}, {Op::due, 1000 * ms, true}, {Op::due, 1000 * ms, true}, {Op::due, 1000 * ms, true}, {Op::due, 1000 * ms, true},
      {Op::due, 1000 * ms, true}, {Op::due, 1000 * ms, false}},
     at60(61), 6, 4, 55, 1000 * ms - at60(59), 1000 * ms - at60(56)},
    {"a slower rate between ticks: the next deadline one new step after the last",
     {{Op::due, 0, true}, {Op::due, at60(1), true}, {Op::rate, at60(1) + 3 * ms, true, 20},
      {Op::due, at60(1) + 50 * ms - 1, false}, {Op::due, at60(1) + 50 * ms, true}},
     at60(1) + 100 * ms, 1, 0, 0, 0, 0},
    {"a faster rate after a late tick starts its grid now, without a burst",
     {{Op::due, 0, true}, {Op::due, at60(1) + 2 * ms, true}, {Op::rate, 40 * ms, true, 1000},
      {Op::due, 40 * ms, true}, {Op::due, 40 * ms, false}, {Op::due, 41 * ms, true}},
     42 * ms, 2, 1, 0, 0, 2 * ms},
    {"a refused rate changes nothing",
     {{Op::due, 0, true}, {Op::rate, 1 * ms, false, 0}, {Op::rate, 1 * ms, false, 1001},
      {Op::due, at60(1), true}},
     at60(2), 2, 0, 0, 0, 0},
};
}

TEST(TickSchedule, KeepsItsGridThroughLatenessStallsAndRateChanges)
{
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TickSchedule schedule(60);
        EXPECT_FALSE(schedule.due(0));  // not started
        schedule.start(0);
        for (const Step& step : c.steps) {
            switch (step.op) {
            case Op::due:
                EXPECT_EQ(schedule.due(step.at), step.result) << "at " << step.at;
                break;
            case Op::due_at_deadlines:
                for (int i = 0; i < step.count; ++i)
                    ASSERT_TRUE(schedule.due(schedule.next_deadline()));
                break;
            case Op::rate:
                EXPECT_EQ(schedule.set_rate(step.count, step.at), step.result);
                break;
            }
        }
        EXPECT_EQ(schedule.next_deadline(), c.next_deadline);
        EXPECT_EQ(schedule.ticks_at_rate(), c.ticks_at_rate);
        EXPECT_EQ(schedule.late_ticks(), c.late);
        EXPECT_EQ(schedule.dropped_ticks(), c.dropped);
        EXPECT_EQ(schedule.lateness().median, c.median_lateness);
        EXPECT_EQ(schedule.lateness().max, c.max_lateness);
    }
}

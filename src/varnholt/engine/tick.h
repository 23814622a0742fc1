/*
 * The timetable of the fixed-rate tick, and how late the ticks ran. Pure:
 * every call is given the time (nanoseconds on the monotonic clock,
 * base/clock.h) and nothing here reads a clock or sleeps, so the frame
 * loop owns the waiting and tests step through time as they like.
 *
 * Deadlines lie on a grid: tick k of the current grid is due at
 * anchor + k * 10^9 / rate nanoseconds, rounded down, each computed from k
 * and never by adding a rounded step, so no error accumulates however long
 * it runs. A tick never runs before its deadline. After a stall, at most
 * max_catch_up_ticks overdue ticks remain to run; the older ones are
 * dropped and counted, and the ticks stay on the grid. A new rate starts a
 * new grid at the next deadline the new rate gives after the last tick
 * (or now, when that has passed), so a change never brings a burst.
 */
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace varnholt {

constexpr int min_tick_rate = 1;
constexpr int max_tick_rate = 1000;
// Overdue ticks that still run after a stall; more would only delay the
// game further behind the clock (a spiral of ever later ticks).
constexpr std::int64_t max_catch_up_ticks = 5;
// Ticks whose lateness the statistics cover.
constexpr std::size_t lateness_window = 1000;
// A tick later than this counts as late.
constexpr std::int64_t late_tick_ns = 1'000'000;

// Lateness over the last `ticks` ticks (at most lateness_window), in
// nanoseconds; all zero when no tick ran.
struct TickLateness {
    std::size_t ticks = 0;
    std::int64_t median = 0;
    std::int64_t p99 = 0;
    std::int64_t max = 0;
};

class TickSchedule {
public:
    // `rate` ticks a second; must be a valid rate.
    explicit TickSchedule(int rate);

    static bool valid_rate(int rate) { return rate >= min_tick_rate && rate <= max_tick_rate; }

    // A fresh grid whose first tick is due at `now`; the counts start over.
    void start(std::int64_t now);
    // From the next tick on, `rate` ticks a second; false, with nothing
    // changed, for a rate outside min_tick_rate to max_tick_rate. Counts
    // the ticks at the new rate from zero.
    bool set_rate(int rate, std::int64_t now);
    // Whether a tick is due at `now`. When it is, the tick counts as run,
    // with its lateness, and the next deadline moves on: call once per tick
    // run. False before start.
    bool due(std::int64_t now);

    bool started() const { return started_; }
    int rate() const { return rate_; }
    double step_seconds() const { return 1.0 / rate_; }
    // The next tick's deadline; meaningful once started.
    std::int64_t next_deadline() const { return deadline(index); }
    // Ticks run since the current rate took effect (or since start).
    std::uint64_t ticks_at_rate() const { return ticks_at_rate_; }
    // Ticks run later than late_tick_ns since start.
    std::uint64_t late_ticks() const { return late_ticks_; }
    // Ticks left out by catch-up since start.
    std::uint64_t dropped_ticks() const { return dropped_ticks_; }
    TickLateness lateness() const;

private:
    std::int64_t deadline(std::int64_t k) const;
    // The number of the last tick due at `now` (deadline <= now), or -1.
    std::int64_t last_due(std::int64_t now) const;

    int rate_;
    bool started_ = false;
    std::int64_t anchor = 0;  // deadline of tick 0 of the current grid
    std::int64_t index = 0;   // the next tick on the current grid
    std::uint64_t ticks_at_rate_ = 0;
    std::uint64_t late_ticks_ = 0;
    std::uint64_t dropped_ticks_ = 0;
    std::array<std::int64_t, lateness_window> recent {};  // a ring, in ns
    std::size_t recorded = 0;  // lateness values written, all told
};

}  // namespace varnholt

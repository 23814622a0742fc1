/*
 * The engine's one clock for intervals: CLOCK_MONOTONIC, in nanoseconds.
 * It never jumps when the system time is set and never runs backwards, so
 * the stopwatch, the frame loop's waits, the tick's deadlines and the
 * remote console's ages all agree. Its zero is arbitrary (the boot): only
 * differences between readings mean anything. A leaf: includes nothing of
 * the engine.
 */
#pragma once

#include <chrono>
#include <cstdint>
#include <ctime>

namespace varnholt {

// Nanoseconds on the monotonic clock.
inline std::int64_t monotonic_ns()
{
    timespec now {};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::int64_t>(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
}

// The same clock for code that counts in std::chrono durations.
struct MonotonicClock {
    using rep = std::int64_t;
    using period = std::nano;
    using duration = std::chrono::nanoseconds;
    using time_point = std::chrono::time_point<MonotonicClock>;
    static constexpr bool is_steady = true;

    static time_point now() noexcept { return time_point(duration(monotonic_ns())); }
};

}  // namespace varnholt

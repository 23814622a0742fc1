/*
 * Accumulating stopwatch, in seconds, on the monotonic clock
 * (engine/clock.h): setting the system time neither adds nor takes away.
 * A value type: whoever holds a Timer owns its state (the eng_time variable
 * keeps one by value).
 * Every operation takes exactly one clock reading and allocates nothing.
 */
#pragma once

namespace varnholt {

// Seconds on the monotonic clock; only differences mean anything.
double timer_now();

class Timer {
public:
    // Starts the timer, then stops it again unless `running`: a stopped
    // timer therefore begins with a total of a few microseconds, not zero.
    explicit Timer(bool running);

    // Accumulate from now on; time since the last sample of an already
    // running timer is dropped.
    void start();
    // Fold the running interval into the total and stop. Returns the total.
    double stop();
    // Fold the running interval into the total and return it; the timer
    // keeps running or stays stopped.
    double elapsed();

private:
    bool stopped = true;
    double last_sample = 0.0;  // clock reading at the last start, stop or read
    double total = 0.0;
};

}  // namespace varnholt

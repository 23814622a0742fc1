#include "varnholt/base/timer.h"

#include "varnholt/base/clock.h"

namespace varnholt {

double timer_now()
{
    return static_cast<double>(monotonic_ns()) / 1e9;
}

Timer::Timer(bool running)
{
    start();
    if (!running)
        stop();
}

void Timer::start()
{
    last_sample = timer_now();
    stopped = false;
}

double Timer::stop()
{
    elapsed();
    stopped = true;
    return total;
}

double Timer::elapsed()
{
    const double now = timer_now();
    if (!stopped)
        total = (now - last_sample) + total;
    last_sample = now;
    return total;
}

}  // namespace varnholt

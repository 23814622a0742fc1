#include "varnholt/base/timer.h"

#include <sys/time.h>

namespace varnholt {

double timer_now()
{
    timeval now {};
    gettimeofday(&now, nullptr);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_usec) / 1e6;
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

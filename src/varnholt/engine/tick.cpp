#include "varnholt/engine/tick.h"

#include <algorithm>
#include <cassert>

namespace varnholt {

namespace {
constexpr std::int64_t second_ns = 1'000'000'000;
}

TickSchedule::TickSchedule(int rate) : rate_(rate)
{
    assert(valid_rate(rate));
}

void TickSchedule::start(std::int64_t now)
{
    *this = TickSchedule(rate_);
    started_ = true;
    anchor = now;
}

bool TickSchedule::set_rate(int rate, std::int64_t now)
{
    if (!valid_rate(rate))
        return false;
    if (rate == rate_)
        return true;
    if (started_ && index > 0) {
        // The new grid begins where the new rate puts the tick after the
        // last one, but never in the past: a deadline already missed would
        // count as overdue and run ticks back to back.
        const std::int64_t last = deadline(index - 1);
        anchor = std::max(last + second_ns / rate, now);
        index = 0;
    }
    // Before the first tick of a grid, tick 0 stays due at the anchor,
    // whatever the rate.
    rate_ = rate;
    ticks_at_rate_ = 0;
    return true;
}

bool TickSchedule::due(std::int64_t now)
{
    if (!started_ || now < deadline(index))
        return false;
    const std::int64_t overdue = last_due(now) - index + 1;
    if (overdue > max_catch_up_ticks) {
        dropped_ticks_ += static_cast<std::uint64_t>(overdue - max_catch_up_ticks);
        index += overdue - max_catch_up_ticks;
    }
    const std::int64_t late = now - deadline(index);
    ++index;
    ++ticks_at_rate_;
    if (late > late_tick_ns)
        ++late_ticks_;
    recent[recorded % lateness_window] = late;
    ++recorded;
    return true;
}

TickLateness TickSchedule::lateness() const
{
    TickLateness result;
    result.ticks = std::min(recorded, lateness_window);
    if (result.ticks == 0)
        return result;
    std::array<std::int64_t, lateness_window> sorted = recent;
    const auto begin = sorted.begin();
    const auto end = begin + static_cast<std::ptrdiff_t>(result.ticks);
    std::sort(begin, end);
    // Nearest rank: the smallest value at least that share of ticks reach.
    const auto rank = [&](std::size_t percent) { return sorted[(result.ticks * percent + 99) / 100 - 1]; };
    result.median = rank(50);
    result.p99 = rank(99);
    result.max = sorted[result.ticks - 1];
    return result;
}

std::int64_t TickSchedule::deadline(std::int64_t k) const
{
    // k * 10^9 / rate without the product: it would overflow after some
    // hundred days at the highest rate.
    return anchor + k / rate_ * second_ns + k % rate_ * second_ns / rate_;
}

std::int64_t TickSchedule::last_due(std::int64_t now) const
{
    const std::int64_t elapsed = now - anchor;
    if (elapsed < 0)
        return -1;
    // Rounding down the deadlines can make the next tick due too.
    std::int64_t k = elapsed / second_ns * rate_ + elapsed % second_ns * rate_ / second_ns;
    while (deadline(k + 1) <= now)
        ++k;
    return k;
}

}  // namespace varnholt

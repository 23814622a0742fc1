// The engine with an empty tick hook installed, as a game would
// install its own: how punctually the tick runs and what it costs
// (bench/tick.py, `make tick`), and the ticking engine of the black-box
// tick test. Its own command tick_calls says what the hook saw, on the
// engine's clock (nanoseconds), so that the drift from the grid is measured
// outside the schedule that makes the grid.
#include <cstdint>

#include "varnholt/varnholt.h"

using namespace varnholt;

namespace {
constexpr std::uint64_t kept = 64;
std::uint64_t calls = 0;
// The times of the first calls, and of the latest in a ring indexed by call
// number.
std::int64_t first[kept];
std::int64_t latest[kept];

void empty_tick(double)
{
    const std::int64_t now = monotonic_ns();
    if (calls < kept)
        first[calls] = now;
    latest[calls++ % kept] = now;
}

// "tick calls: <count>, <number> at <ns>, ..." for the first and the latest
// calls, numbered from 0.
void tick_calls_command(ArgList&)
{
    console << "tick calls: " << calls;
    const std::uint64_t shown = calls < kept ? calls : kept;
    for (std::uint64_t number = 0; number < shown; ++number)
        console << ", " << number << " at " << first[number];
    for (std::uint64_t number = calls - shown; number < calls; ++number)
        console << ", " << number << " at " << latest[number % kept];
    console << std::endl;
}

Command tick_calls("tick_calls", tick_calls_command, "For the benchmark");
}

int main(int argc, char** argv)
{
    Hooks hooks;
    hooks.tick = empty_tick;
    set_hooks(hooks);
    return run(argc, argv);
}

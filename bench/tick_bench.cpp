// The engine binary with an empty tick hook installed, as a game would
// install its own: how punctually the tick runs and what it costs
// (bench/tick.py, `make tick`), and the ticking engine of the black-box
// tick test. Its own command tick_calls says what the hook saw, on the
// engine's clock (nanoseconds), so that the drift from the grid is measured
// outside the schedule that makes the grid.
#include <cstdint>

#include "console/console.h"
#include "console/function.h"
#include "engine/clock.h"
#include "engine/engine.h"

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

Command tick_calls("tick_calls", tick_calls_command);

// Before main, as a game's static initialiser may.
struct InstallTick {
    InstallTick() { eng_set_tick_hook(empty_tick); }
} install_tick;
}

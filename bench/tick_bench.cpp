// The engine binary with an empty tick hook installed, as a game would
// install its own: how punctually the tick runs and what it costs
// (bench/tick.py, `make tick`), and the ticking engine of the black-box
// tick test. Its own command tick_calls says what the hook saw, on the
// engine's clock, so that the drift from the grid is measured outside the
// schedule that makes the grid.
#include <cstdint>

#include "console/console.h"
#include "console/function.h"
#include "engine/clock.h"
#include "engine/engine.h"

namespace {
std::uint64_t calls = 0;
std::int64_t first_call = 0;
std::int64_t last_call = 0;

void empty_tick(double)
{
    last_call = monotonic_ns();
    if (calls++ == 0)
        first_call = last_call;
}

void tick_calls_command(ArgList&)
{
    console << "tick calls: " << calls << ", first at " << first_call << " ns, last at " << last_call << " ns"
            << std::endl;
}

Command tick_calls("tick_calls", tick_calls_command);

// Before main, as a game's static initialiser may.
struct InstallTick {
    InstallTick() { eng_set_tick_hook(empty_tick); }
} install_tick;
}

// What the remote console's tests and its fuzz target share: a clock
// reading to start from and the two keys of every exchange.
#pragma once

#include <algorithm>
#include <chrono>

#include "varnholt/net/rcon_protocol.h"

namespace rcon_test {
namespace rcon = varnholt::rcon;

// An hour past the clock's zero, so that times before it are still valid.
inline const rcon::Clock::time_point t0 = rcon::Clock::time_point {} + std::chrono::hours(1);
// The same moment on the clock hellos are dated by, as a server made
// without a start time counts it.
inline const rcon::WallClock::time_point wall0 = rcon::WallClock::time_point {} + std::chrono::hours(1);

// The key both sides hold, and one that only a stranger holds.
struct Keys {
    Keys()
    {
        std::fill(std::begin(right.bytes), std::end(right.bytes), 0x5a);
        std::fill(std::begin(wrong.bytes), std::end(wrong.bytes), 0xa5);
    }
    rcon::Key right;
    rcon::Key wrong;
};

inline const Keys keys;
}

/*
 * The frame loop's idle wait. A leaf of the engine: the descriptors come
 * from the caller, the stop requests from base/stop_request.h.
 */
#pragma once

#include <cstdint>

namespace varnholt {

// Waits until one of the descriptors (negative ones are left out) can be
// read or reports an end or error, the monotonic clock reaches `deadline`
// nanoseconds, or the run is to end. A stop request that arrives just
// before the wait still ends it at once: the stop signals are held back
// from the check until the wait begins.
void wait_for_input(int first, int second, std::int64_t deadline);

}  // namespace varnholt

/*
 * A request to reopen the files the engine keeps open for writing (the log
 * file), as SIGHUP makes it once the process has been taken over: the
 * signal handler records it, the frame loop acts on it at its next flush of
 * the output. Setting and reading it is async-signal-safe.
 */
#pragma once

#include <csignal>

namespace varnholt {

namespace reopen_detail {
inline volatile std::sig_atomic_t requested = 0;
}

inline void request_reopen()
{
    reopen_detail::requested = 1;
}
// Whether a reopen was requested since the last call.
inline bool take_reopen_request()
{
    if (!reopen_detail::requested)
        return false;
    reopen_detail::requested = 0;
    return true;
}

}  // namespace varnholt

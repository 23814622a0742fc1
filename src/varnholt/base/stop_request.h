/*
 * The two ways a run ends, as flags that whoever runs lines reads: a quit
 * (the `quit` command, Ctrl-D at the terminal, or a game's own code) and a
 * stop request (SIGINT or SIGTERM, once the process has been taken over).
 * The frame loop stops at the start of its next frame (engine/engine.h);
 * running scripts stop before their next line, the start-up before its next
 * step; a remote command that quits gets no answer. Nothing here ends the
 * process. Setting and reading them is async-signal-safe.
 */
#pragma once

#include <csignal>

namespace varnholt {

namespace stop_detail {
// Read before every line of a script: no call, just the two flags.
inline volatile std::sig_atomic_t quit = 0;
inline volatile std::sig_atomic_t stop_number = 0;  // 0: no stop request
}

// Asks the run to end as `quit` does.
inline void request_quit()
{
    stop_detail::quit = 1;
}
inline bool quit_requested()
{
    return stop_detail::quit != 0;
}

// Records a stop request by signal `number` (SIGINT or SIGTERM), if none is
// pending; from a signal handler.
inline void request_stop(int number)
{
    if (!stop_detail::stop_number)
        stop_detail::stop_number = number;
}
// Whether a stop request is pending, and by which signal (0: none).
inline bool stop_requested()
{
    return stop_detail::stop_number != 0;
}
inline int stop_signal()
{
    return stop_detail::stop_number;
}
// Drops the pending request: a Ctrl-C that only discarded a half-typed
// line. A second request before this point has already ended the process,
// so nothing that arrives meanwhile is lost.
inline void withdraw_stop_request()
{
    stop_detail::stop_number = 0;
}

// Whether the run is ending, for either reason: what ends a script.
inline bool run_ending()
{
    return quit_requested() || stop_requested();
}

}  // namespace varnholt

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

namespace varnholt {

// Asks the run to end as `quit` does.
void request_quit();
bool quit_requested();

// Records a stop request by signal `number` (SIGINT or SIGTERM), if none is
// pending; from a signal handler.
void request_stop(int number);
// Whether a stop request is pending, and by which signal (0: none).
bool stop_requested();
int stop_signal();
// Drops the pending request: a Ctrl-C that only discarded a half-typed line.
void withdraw_stop_request();

// Whether the run is ending, for either reason: what ends a script.
inline bool run_ending()
{
    return quit_requested() || stop_requested();
}

}  // namespace varnholt

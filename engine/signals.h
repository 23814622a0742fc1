/*
 * Process signals. SIGINT (Ctrl-C at the terminal) and SIGTERM (a service
 * manager stopping a dedicated server) ask for the same shutdown as `quit`.
 * The handler only records the request: running scripts stop at their next
 * line, and the frame loop acts on it at the start of its next frame, so
 * default.cfg is written with the settings as they stand.
 *
 * A second request while the first is still pending ends the process at
 * once, by the signal's default action: an engine blocked in a system call
 * (a script or default.cfg that is a named pipe nobody writes) never gets
 * to its next frame.
 *
 * SIGPIPE is ignored: once standard output is closed its writes fail and the
 * engine keeps running, to be stopped by `quit` or a signal. SIGXFSZ is
 * ignored too, so that a write past the file-size limit fails and is
 * reported instead of killing the engine half-way through saving.
 */
#pragma once

// Installs the handlers. Called once, first thing in main. Whether a stop
// was requested is sys_stop_requested (engine/system.h).
void sys_init_signals();

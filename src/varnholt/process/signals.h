/*
 * Process signals. SIGINT (Ctrl-C at the terminal) and SIGTERM (a service
 * manager stopping a dedicated server) ask for the same shutdown as `quit`.
 * The handler only records the request: running scripts stop at their next
 * line, and the frame loop acts on it at the start of its next frame, so
 * default.cfg is written with the settings as they stand. An idle frame
 * loop waits in a way that a request ends at once (engine/engine.cpp).
 *
 * A second request while the first is still pending ends the process at
 * once, by the signal's default action: an engine blocked in a system call
 * (saving to a default.cfg that is a named pipe nobody reads) never gets
 * to its next frame. A terminal whose mode the terminal console changed gets
 * its saved mode back first.
 *
 * SIGHUP asks for the log file to be reopened (base/reopen_request.h), as
 * log rotation expects; the engine goes on.
 *
 * SIGPIPE is ignored: once standard output is closed its writes fail and the
 * engine keeps running, to be stopped by `quit` or a signal. SIGXFSZ is
 * ignored too, so that a write past the file-size limit fails and is
 * reported instead of killing the engine half-way through saving.
 */
#pragma once

namespace varnholt {

// Installs the handlers; take_over_process (process/process.h) calls it.
// The requests are recorded by request_stop (base/stop_request.h).
void sys_init_signals();
// Runs `handler` (or SIG_IGN, SIG_DFL) for signal `number` from now on.
// Interrupted blocking calls resume; SIGINT and SIGTERM wait while a
// handler runs.
void sys_handle_signal(int number, void (*handler)(int));
// Remembers the current mode of terminal `fd`, for
// sys_restore_terminal_mode and the immediate exit of a second request.
void sys_save_terminal_mode(int fd);
// Puts the remembered mode back, if any; async-signal-safe.
void sys_restore_terminal_mode();
// From a handler of `number`: puts the terminal's mode back and takes the
// signal's default action now (ends or stops the process). Returns only
// when that action lets the process go on (after SIGCONT, say); the signal
// is then left to its default action.
void sys_raise_default(int number);

}  // namespace varnholt

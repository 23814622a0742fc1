/*
 * Process signals. SIGINT (Ctrl-C at the terminal) and SIGTERM (a service
 * manager stopping a dedicated server) ask for the same shutdown as `quit`.
 * The handler only records the request. Running scripts stop at their next
 * line, and the frame loop acts on the request at the start of its next
 * frame, so default.cfg is written with the settings as they stand. SIGPIPE is ignored: once standard output
 * is closed its writes fail and the engine keeps running, to be stopped by
 * `quit` or a signal.
 */
#pragma once

// Installs the handlers. Called once, first thing in main.
void sys_init_signals();
// Whether SIGINT or SIGTERM has arrived since sys_init_signals.
bool sys_stop_requested();

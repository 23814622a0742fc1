/*
 * The log file: while `logfile` names one, every line the console prints is
 * also appended to that file under `gamepath` (under `basepath` when it
 * cannot be opened there, as writes go), after its UTC time
 * ("2026-12-09T14:03:07.123Z "), with the bytes the screen gets. Lines are
 * gathered and written whole, in one write per frame that flushes the
 * screen (engine/engine.cpp); a line still being written waits for its
 * line feed.
 *
 * Setting `logfile` opens the file it names at once (even the same name
 * again), an empty value closes it, and SIGHUP (base/reopen_request.h)
 * closes and opens it again, so that a file renamed by log rotation is
 * followed by a fresh one. A failed open or write prints one line on the
 * console and pauses the log until the next of these; the engine goes on.
 */
#pragma once

namespace varnholt {

// At the frame's flush point: a requested reopen, then the lines gathered
// since the last call, written.
void log_frame();
// Writes the lines gathered; the console's lines from then on are not
// logged. The last step of shutdown.
void log_shutdown();

}  // namespace varnholt

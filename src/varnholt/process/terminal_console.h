/*
 * The console on a terminal: line editing, a history kept across restarts
 * and completion of names, through GNU readline's callback interface, so
 * that the frame loop only ever hands it keys that are already waiting.
 *
 * The standard-input console (sys_input) opens it when standard input and
 * standard output are both terminals, the engine runs in the foreground
 * and TERM names a terminal that can edit; otherwise, and in a build
 * without readline, the line reader serves as before. From terminal_open to terminal_close, std::cout writes into a
 * buffer that a flush of std::cout (once per frame) empties above the line
 * being edited, which is then drawn again below it.
 */
#pragma once

#include <string>

#include "varnholt/base/limits.h"

namespace varnholt {

// What one poll of the terminal found.
enum class TerminalInput {
    none,  // no key was waiting
    keys,  // keys were taken; no line is finished yet
    line,  // a line is finished and must run before the next prompt
    end,   // Ctrl-D on an empty line, or the end of the input
};

#ifdef VARNHOLT_READLINE
// Takes over the terminal: loads the history from "console_history" under
// the data directories and shows the first prompt. False, touching nothing,
// when the process is not on an editing terminal.
bool terminal_open(const std::string& prompt);
// Hands readline the keys that wait on standard input, up to the end of a
// line, which is then copied to `line` (its first 1023 characters) and
// added to the history.
TerminalInput terminal_poll(char (&line)[line_size]);
// After a line has run: writes what it printed, then a fresh prompt.
void terminal_prompt(const std::string& prompt);
// Ctrl-C: a half-typed line is discarded for a fresh prompt and the stop
// request withdrawn (true); on an empty line nothing changes (false).
bool terminal_interrupt(const std::string& prompt);
// Gives the terminal its mode and std::cout its buffer back, and saves up
// to 500 lines of history as "console_history", as default.cfg is saved.
void terminal_close();
#else
// Built without readline: never on a terminal, so nothing below is reached.
inline bool terminal_open(const std::string&) { return false; }
inline TerminalInput terminal_poll(char (&)[line_size]) { return TerminalInput::none; }
inline void terminal_prompt(const std::string&) {}
inline bool terminal_interrupt(const std::string&) { return false; }
inline void terminal_close() {}
#endif

}  // namespace varnholt

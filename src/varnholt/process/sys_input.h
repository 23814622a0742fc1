/*
 * The typed console: once per frame, standard input is polled without
 * waiting and at most one whole line is executed, followed by a new prompt.
 * The prompt goes straight to standard output, never into the history.
 * Standard input is polled until it ends (or cannot be polled); an idle
 * frame loop waits on it until then.
 *
 * On a terminal that can edit, the terminal console (terminal_console.h)
 * reads the lines instead, with editing, history and completion.
 */
#pragma once

#include <cstdint>
#include <string>

#include "varnholt/variables/variable.h"

namespace varnholt {

// The prompt text; one space is always added after it.
extern Variable<std::string> sys_prompt;

// The frame step: the first prompt, or one typed line and a new prompt.
// False when it found nothing to do: no line ran and no input was read.
bool sys_poll_input();
// Typed lines run so far.
std::uint64_t sys_lines_run();
// Whether standard input can be read without blocking.
bool sys_input_ready();
// Standard input's descriptor while it is still polled, else -1.
int sys_input_descriptor();
// Clears the input line and writes the prompt.
void sys_print_prompt();
// A Ctrl-C (SIGINT) on a half-typed line at the terminal only discards the
// line: true when it did, and the stop request is withdrawn.
bool sys_input_interrupt();
// Gives the terminal back and saves the typed history, if the terminal
// console ran. Called first in the shutdown.
void sys_input_shutdown();

}  // namespace varnholt

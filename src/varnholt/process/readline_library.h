/*
 * GNU readline, loaded when the console first runs on a terminal rather than
 * linked into the engine: a server, a script run and a pipe never pay the
 * dynamic loader's work for readline and its terminal library (they would
 * double the cost of starting the engine), and an engine on a machine
 * without the library still runs, reading plain lines.
 *
 * Only the terminal console includes this header. Each entry keeps the name
 * of the readline function or variable it stands for; a variable's entry
 * points at it.
 */
#pragma once

// readline's old typedefs would take the name of the console's Function.
#define _FUNCTION_DEF
#include <readline/history.h>
#include <readline/readline.h>

namespace varnholt {

#define VARNHOLT_READLINE_SYMBOLS(X)                                                             \
    X(rl_callback_handler_install) X(rl_callback_handler_remove) X(rl_callback_read_char)       \
    X(rl_callback_sigcleanup) X(rl_clear_visible_line) X(rl_crlf) X(rl_deprep_terminal)          \
    X(rl_echo_signal_char) X(rl_free_line_state) X(rl_initialize) X(rl_on_new_line)              \
    X(rl_prep_terminal) X(rl_redisplay) X(rl_reset_screen_size) X(rl_resize_terminal)            \
    X(rl_variable_bind) X(rl_variable_value) X(add_history) X(history_get) X(history_list)       \
    X(stifle_history) X(rl_attempted_completion_function) X(rl_attempted_completion_over)        \
    X(rl_basic_word_break_characters) X(rl_catch_signals) X(rl_catch_sigwinch)                   \
    X(rl_change_environment) X(rl_completer_word_break_characters)                              \
    X(rl_completion_suppress_append) X(rl_deprep_term_function) X(rl_end) X(rl_instream)         \
    X(rl_line_buffer) X(rl_outstream) X(rl_point) X(rl_prep_term_function) X(rl_readline_name)   \
    X(rl_readline_state) X(history_base) X(history_length)

struct ReadlineLibrary {
#define VARNHOLT_READLINE_ENTRY(name) decltype(&::name) name;
    VARNHOLT_READLINE_SYMBOLS(VARNHOLT_READLINE_ENTRY)
#undef VARNHOLT_READLINE_ENTRY
};

// The library, loaded on the first call; null, then and ever after, when it
// cannot be loaded or lacks one of the entries.
const ReadlineLibrary* readline_library();

}  // namespace varnholt

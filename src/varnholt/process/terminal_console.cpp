#include "varnholt/process/terminal_console.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <poll.h>
#include <set>
#include <string>
#include <unistd.h>
#include <vector>

#include "varnholt/base/capture_buffer.h"
#include "varnholt/base/limits.h"
#include "varnholt/base/stop_request.h"
#include "varnholt/console/console.h"
#include "varnholt/console/function.h"
#include "varnholt/process/readline_library.h"
#include "varnholt/process/signals.h"
#include "varnholt/variables/variable.h"
#include "varnholt/vfs/save_file.h"
#include "varnholt/vfs/vfs.h"
#include "varnholt/vfs/vfs_stream.h"

namespace varnholt {

namespace {
constexpr const char* history_name = "console_history";

// Readline, from terminal_open on; every call to it goes through here.
const ReadlineLibrary* rl = nullptr;

// readline's line handler is installed: the prompt and the line being
// edited are on the screen, and the terminal is in readline's mode.
bool editing = false;
// The cursor is on a line that holds a prompt, also after Ctrl-D ended the
// editing there.
bool cursor_on_prompt = false;
TerminalInput finished = TerminalInput::none;  // a line or the end, from take_line
std::string finished_line;
volatile std::sig_atomic_t resized = 0;
volatile std::sig_atomic_t continued = 0;

// Writes `text`, which ends in a line feed (or is empty), where the prompt
// and the line being edited stood, and draws them again below it.
void write_above(std::string_view text)
{
    if (editing)
        rl->rl_clear_visible_line();
    std::fwrite(text.data(), 1, text.size(), stdout);
    if (editing) {
        rl->rl_on_new_line();
        rl->rl_redisplay();
    }
    std::fflush(stdout);
}

// std::cout's buffer on the terminal: the console's output waits here until
// std::cout is flushed, once per frame.
class PendingOutput : public CaptureBuffer {
protected:
    int sync() override
    {
        if (text().empty())
            return 0;
        // The prompt must start a line of its own.
        if (text().back() != '\n')
            sputc('\n');
        write_above(text());
        // A huge listing once keeps no memory for good.
        if (capacity() > 65536)
            release();
        else
            clear();
        return 0;
    }
};

PendingOutput pending_output;
std::streambuf* own_output = nullptr;  // std::cout's buffer; null while closed

// readline's line handler, with the finished line (malloc'ed, ours to free)
// or null for Ctrl-D on an empty line. The handler goes until the line has
// run: the next prompt follows the line's output, and the line may change
// the prompt's text.
void take_line(char* text)
{
    rl->rl_callback_handler_remove();
    editing = false;
    cursor_on_prompt = text == nullptr;
    finished = text ? TerminalInput::line : TerminalInput::end;
    if (text)
        finished_line = text;
    std::free(text);
}

// readline's terminal hooks while the console runs. The terminal keeps
// readline's mode from terminal_open to terminal_close instead of going
// back to the user's around each line: keys typed while a line runs wait,
// unechoed and unchanged, for the next prompt, and Ctrl-D stays a key.
void keep_mode(int) {}
void keep_mode() {}

void prepare_terminal()
{
    const char* meta = rl->rl_variable_value("input-meta");
    rl->rl_prep_terminal(meta && std::strcmp(meta, "on") == 0);
}

void show_prompt(const std::string& prompt)
{
    rl->rl_callback_handler_install(prompt.c_str(), take_line);
    editing = true;
    cursor_on_prompt = true;
}

bool key_waiting()
{
    pollfd input {STDIN_FILENO, POLLIN, 0};
    return poll(&input, 1, 0) > 0;
}

void note_resize(int)
{
    resized = 1;
}

// Ctrl-Z: the terminal gets the user's mode back before the process stops;
// the next poll gives readline its own again.
void suspend(int number)
{
    const int saved_errno = errno;
    sys_raise_default(number);
    // Here once continued (at once in an orphaned process group, which the
    // system never stops).
    sys_handle_signal(number, suspend);
    continued = 1;
    errno = saved_errno;
}

void take_signals()
{
    if (continued) {
        continued = 0;
        // readline still counts the terminal as prepared.
        rl->rl_deprep_terminal();
        prepare_terminal();
        rl->rl_reset_screen_size();
        if (editing)
            write_above("");
    }
    if (resized) {
        resized = 0;
        if (editing)
            rl->rl_resize_terminal();
        else
            rl->rl_reset_screen_size();
    }
}

// Adds a line that runs to the history, unless it is blank, repeats the
// newest entry, holds a line feed (typed after Ctrl-V), which the saved
// history could not give back as one line, or may set a secret such as the
// remote console's key. Loading the history passes here too, so a secret
// saved by an older engine goes at the next save.
void remember(const char* line)
{
    if (line[std::strspn(line, " \t")] == '\0' || std::strchr(line, '\n') || VariableList::may_set_secret(line))
        return;
    const HIST_ENTRY* newest = rl->history_get(*rl->history_base + *rl->history_length - 1);
    if (!newest || std::strcmp(newest->line, line) != 0)
        rl->add_history(line);
}

// A history file was there at the start: saving an empty history clears
// it of the lines that loading dropped.
bool history_found = false;

void load_history()
{
    rl->stifle_history(terminal_history_lines);
    vfs_istream file(history_name);
    history_found = file.is_open();
    for (std::string line; file.is_open() && std::getline(file, line);)
        remember(line.c_str());
}

void save_history()
{
    std::string content;
    // A recalled entry that was edited, then left for another, holds the
    // edit until a line runs; the engine may stop before that.
    for (HIST_ENTRY** entry = rl->history_list(); entry && *entry; ++entry)
        if (!VariableList::may_set_secret((*entry)->line))
            content.append((*entry)->line).push_back('\n');
    // No file and nothing typed: no file to create.
    if (content.empty() && !history_found)
        return;
    // Only its owner reads what was typed.
    if (!vfs_save_file(history_name, content, private_file))
        console << "Error writing \"" << history_name << '"' << std::endl;
}

bool starts_with_ignoring_case(const char* name, const std::string& start)
{
    return name && shared_name_length(start.c_str(), name) == start.size();
}

bool is_command(const std::string& word, const char* name)
{
    return same_name(name, name_key(word.c_str(), word.size()));
}

void add_names(const std::string& start, std::set<std::string>& names)
{
    for (const Function* function = FunctionList::head().next(); function; function = function->next()) {
        if (starts_with_ignoring_case(function->name(), start))
            names.insert(function->name());
    }
}

void add_variable_names(const std::string& start, std::set<std::string>& names)
{
    for (const BaseVariable* variable = VariableList::head().next_variable(); variable;
         variable = variable->next_variable()) {
        if (starts_with_ignoring_case(variable->name(), start))
            names.insert(variable->name());
    }
}

// The files and folders the search list reaches (directories and packs)
// whose names, relative to the data directory, begin with `start`; folders
// end in "/". Hidden entries only when `start` asks for them.
void add_script_names(const std::string& start, std::set<std::string>& names)
{
    const std::size_t slash = start.rfind('/');
    const std::string folder = slash == std::string::npos ? "" : start.substr(0, slash + 1);
    const std::string begin = start.substr(folder.size());
    vfs_list(folder, false, [&](const std::string& name, bool is_folder) {
        const char* leaf = name.c_str() + folder.size();
        if (starts_with_ignoring_case(leaf, begin) && (leaf[0] != '.' || !begin.empty()))
            names.insert(folder + leaf + (is_folder ? "/" : ""));
    });
}

// readline's match list: what replaces the word (the candidates' common
// beginning, letter case ignored, spelled as the first has it), then the
// candidates when there are several, then a null. All malloc'ed for
// readline to free.
char** match_list(const std::set<std::string>& candidates)
{
    if (candidates.empty())
        return nullptr;
    const std::string& first = *candidates.begin();
    std::size_t common = first.size();
    for (const std::string& other : candidates)
        common = std::min(common, shared_name_length(first.c_str(), other.c_str()));
    char** list = static_cast<char**>(std::malloc((candidates.size() + 2) * sizeof(char*)));
    std::size_t next = 0;
    list[next++] = strdup(first.substr(0, common).c_str());
    for (const std::string& candidate : candidates) {
        if (candidates.size() > 1)
            list[next++] = strdup(candidate.c_str());
    }
    list[next] = nullptr;
    return list;
}

// Tab: the first word and the word after help from the command and variable
// names, the word after set, reset, del and toggle from the variable names,
// the word after exec from the script files; nothing anywhere else.
char** complete(const char* text, int start, int)
{
    *rl->rl_attempted_completion_over = 1;  // never readline's own file names
    const std::string before(*rl->rl_line_buffer, static_cast<std::size_t>(start));
    std::vector<std::string> words;
    for (std::size_t at = 0; (at = before.find_first_not_of(" \t", at)) != std::string::npos;) {
        const std::size_t end = std::min(before.find_first_of(" \t", at), before.size());
        words.push_back(before.substr(at, end - at));
        at = end;
    }
    std::set<std::string> candidates;
    if (words.empty() || (words.size() == 1 && is_command(words[0], "help")))
        add_names(text, candidates);
    else if (words.size() == 1
             && (is_command(words[0], "set") || is_command(words[0], "reset") || is_command(words[0], "del")
                 || is_command(words[0], "toggle")))
        add_variable_names(text, candidates);
    else if (words.size() == 1 && is_command(words[0], "exec"))
        add_script_names(text, candidates);
    // A folder is completed without the blank, ready for the name in it.
    if (candidates.size() == 1 && candidates.begin()->back() == '/')
        *rl->rl_completion_suppress_append = 1;
    return match_list(candidates);
}
}

bool terminal_open(const std::string& prompt)
{
    // An engine started in the background (a server run with "&") leaves
    // the terminal to the shell: taking it would stop the engine at once.
    const char* type = std::getenv("TERM");
    if (!isatty(STDIN_FILENO) || !isatty(STDOUT_FILENO) || tcgetpgrp(STDIN_FILENO) != getpgrp() || !type || !*type
        || std::strcmp(type, "dumb") == 0)
        return false;
    // Without the library the console reads plain lines.
    rl = readline_library();
    if (!rl)
        return false;
    sys_save_terminal_mode(STDIN_FILENO);
    *rl->rl_readline_name = "varnholt";
    *rl->rl_instream = stdin;
    *rl->rl_outstream = stdout;
    // The engine's own handlers stay: SIGINT and SIGTERM reach the frame
    // loop, SIGWINCH and SIGTSTP are caught below.
    *rl->rl_catch_signals = 0;
    *rl->rl_catch_sigwinch = 0;
    *rl->rl_change_environment = 0;
    *rl->rl_attempted_completion_function = complete;
    rl->rl_initialize();
    *rl->rl_basic_word_break_characters = " \t";
    *rl->rl_completer_word_break_characters = " \t";
    // A pasted block runs one line per frame, as piped input does.
    rl->rl_variable_bind("enable-bracketed-paste", "off");
    // A history entry edited and left for another is given its own text
    // back once a line runs, so that no edit (a key typed over a recalled
    // line, say) stays in the history as if it had been run.
    rl->rl_variable_bind("revert-all-at-newline", "on");
    prepare_terminal();
    *rl->rl_prep_term_function = keep_mode;
    *rl->rl_deprep_term_function = keep_mode;
    load_history();
    std::cout.flush();
    own_output = std::cout.rdbuf(&pending_output);
    sys_handle_signal(SIGWINCH, note_resize);
    sys_handle_signal(SIGTSTP, suspend);
    show_prompt(prompt);
    return true;
}

TerminalInput terminal_poll(char (&line)[line_size])
{
    take_signals();
    bool took = false;
    for (int keys = 0; keys < terminal_keys_per_frame && editing && key_waiting(); ++keys) {
        rl->rl_callback_read_char();
        took = true;
    }
    const TerminalInput found = finished;
    finished = TerminalInput::none;
    if (found == TerminalInput::line) {
        const std::size_t kept = std::min(finished_line.size(), sizeof line - 1);
        finished_line.copy(line, kept);
        line[kept] = '\0';
        remember(line);
    }
    return found != TerminalInput::none ? found : took ? TerminalInput::keys : TerminalInput::none;
}

void terminal_prompt(const std::string& prompt)
{
    std::cout.flush();
    show_prompt(prompt);
}

bool terminal_interrupt(const std::string& prompt)
{
    if (!editing)
        return false;
    const bool searching = *rl->rl_readline_state & (RL_STATE_ISEARCH | RL_STATE_NSEARCH);
    const bool half_typed = *rl->rl_end > 0 || searching;
    // Before the fresh prompt shows: a Ctrl-C typed at it is a new request.
    if (half_typed)
        withdraw_stop_request();
    // Out of a search or a key sequence first; the ^C goes behind the text,
    // where the terminal would echo it.
    rl->rl_callback_sigcleanup();
    *rl->rl_point = *rl->rl_end;
    rl->rl_redisplay();
    rl->rl_echo_signal_char(SIGINT);
    if (!half_typed)
        return false;
    rl->rl_free_line_state();
    rl->rl_callback_handler_remove();
    rl->rl_crlf();
    show_prompt(prompt);
    return true;
}

void terminal_close()
{
    if (!own_output)
        return;
    std::cout.flush();
    if (editing) {
        // Below the whole line, however far it wraps.
        *rl->rl_point = *rl->rl_end;
        rl->rl_redisplay();
        rl->rl_callback_handler_remove();
        editing = false;
    }
    if (cursor_on_prompt)
        std::fputc('\n', stdout);
    cursor_on_prompt = false;
    std::fflush(stdout);
    *rl->rl_prep_term_function = rl->rl_prep_terminal;
    *rl->rl_deprep_term_function = rl->rl_deprep_terminal;
    rl->rl_deprep_terminal();
    std::cout.rdbuf(own_output);
    own_output = nullptr;
    sys_handle_signal(SIGWINCH, SIG_DFL);
    sys_handle_signal(SIGTSTP, SIG_DFL);
    save_history();
}

}  // namespace varnholt

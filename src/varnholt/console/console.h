/*
 * The console: the output stream every subsystem writes its messages to,
 * and the executor of command lines.
 *
 * Output goes through ConsoleStreamBuffer into the 16384-byte history and on
 * to the registered streams (standard output, once the process has been
 * taken over: process/process.h). A line is split into an ArgList and run by
 * the FunctionList (console/console_executor.cpp); a first word that names
 * nothing gets the "not found" message.
 *
 * `console` lives in static storage from create_console to the end of the
 * process: it is never destroyed, so static objects may still write to it
 * while they are destroyed. Nothing may use it before create_console.
 */
#pragma once

#include <cstdint>
#include <ostream>

#include "varnholt/base/limits.h"
#include "varnholt/console/arg_list.h"
#include "varnholt/console/console_stream_buffer.h"

namespace varnholt {

// The echo flag of Console::execute, named at the call sites: whether the
// line is first shown after "] ".
constexpr bool echoed = true, not_echoed = false;

class Console : public std::ostream {
public:
    static constexpr int max_nesting = max_command_nesting;

    // Allocates the history and writes "Console initialized" into it.
    explicit Console(int history_size);
    ~Console() override = default;

    // Runs one command line; false for an empty line, a line without words,
    // a first word that names nothing, or a line nested too deeply. With
    // `echo` the line is first shown after "] ".
    // Inline: scripts run it once a line.
    bool execute(const char* line, bool echo)
    {
        if (!line || !*line)
            return false;
        ArgList args(line);
        return execute(args, echo);
    }
    bool execute(ArgList& args, bool echo);
    // Runs each piece of `text` between carriage returns, line feeds and
    // semicolons (quotes do not protect them) as a line of its own.
    void execute_text(const char* text);
    // Runs the "+command args..." groups of the process arguments.
    void execute_command_line();
    // The process arguments that execute_command_line reads (not owned,
    // may be null); the start-up records them.
    void set_program_args(ArgList* args) { program_args_ = args; }
    ArgList* program_args() const { return program_args_; }

    int add_stream(std::ostream* stream) { return buffer.add_stream(stream); }
    void remove_stream(int id) { buffer.remove_stream(id); }
    void set_sink(ConsoleSink* sink) { buffer.set_sink(sink); }
    void clear_history() { buffer.clear_history(); }
    char history_at(std::int64_t position) const { return buffer.history_at(position); }
    ConsoleStreamBuffer& stream_buffer() { return buffer; }

    // Set once the start-up script has run. Only tests clear it again, to
    // leave the console as a fresh process has it.
    void set_startup_complete(bool complete = true) { startup_complete = complete; }
    bool is_startup_complete() const { return startup_complete; }

private:
    ConsoleStreamBuffer buffer;
    bool startup_complete = false;
    int depth = 0;  // lines being executed right now, outermost included
    ArgList* program_args_ = nullptr;
};

extern Console& console;

// Builds the console; only the first call does anything. init_console
// (console/registration.h) calls it before it registers the static objects.
void create_console();

}  // namespace varnholt

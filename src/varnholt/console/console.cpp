#include "varnholt/console/console.h"

#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "varnholt/base/command_line.h"
#include "varnholt/console/arg_list.h"
#include "varnholt/console/function.h"
#include "varnholt/console/script_reader.h"
#include "varnholt/engine/system.h"
#include "varnholt/variables/variable.h"
#include "varnholt/vfs/vfs_stream.h"

namespace varnholt {

namespace {
constexpr int history_bytes = 16384;

// Static storage that is built by console_detail::Lifetime, not by the
// usual static initialisation, whose order across files is unspecified.
union ConsoleStorage {
    constexpr ConsoleStorage() : unused() {}
    ~ConsoleStorage() {}
    char unused;
    Console object;
};

ConsoleStorage storage;
int lifetime_count = 0;
}

Console& console = storage.object;

console_detail::Lifetime::Lifetime()
{
    if (lifetime_count++ == 0)
        new (&storage.object) Console(history_bytes);
}

console_detail::Lifetime::~Lifetime()
{
    if (--lifetime_count == 0)
        storage.object.~Console();
}

Console::Console(int history_size) : std::ostream(nullptr)
{
    rdbuf(&buffer);
    buffer.set_history_size(history_size);
    *this << "Console initialized" << std::endl;
}

bool Console::execute(const char* line, bool echo)
{
    if (!line || !*line)
        return false;
    ArgList args(line);
    return execute(args, echo);
}

bool Console::execute(ArgList& args, bool echo)
{
    if (echo) {
        const char* shown = args.text ? args.text : args.arg(0);
        *this << "] " << (shown ? shown : "") << std::endl;
    }
    if (args.argc <= 0)
        return false;
    if (depth == max_nesting) {
        *this << "Commands nested more than " << max_nesting << " deep, \"" << args.arg(0)
              << "\" not executed" << std::endl;
        return false;
    }
    ++depth;
    const bool found = FunctionList::execute(args);
    --depth;
    if (!found)
        *this << "Command \"" << args.arg(0) << "\" not found" << std::endl;
    return found;
}

void Console::execute_text(const char* text)
{
    if (!text || !*text)
        return;
    std::vector<char> copy(text, text + std::strlen(text) + 1);
    char* piece = copy.data();
    for (char* p = piece;; ++p) {
        const char c = *p;
        if (c == '\r' || c == '\n' || c == ';' || c == '\0') {
            *p = '\0';
            execute(piece, not_echoed);
            if (c == '\0')
                break;
            piece = p + 1;
        }
    }
}

void Console::execute_command_line()
{
    *this << command_line_heading << std::endl;
    const ArgList* process = program_args();
    if (!process)
        return;
    for (const CommandGroup& group : group_command_line(process->argc, process->argv, 0).groups) {
        ArgList command = command_args(process->argv, group);
        execute(command, not_echoed);
    }
}

namespace {
// A line of words, each followed by a blank, with room kept for its line
// feed. Reused from line to line; it grows and never shrinks.
class WordLine {
public:
    const char* data() const { return text.data(); }
    std::size_t size() const { return static_cast<std::size_t>(out - text.data()); }
    void clear() { out = text.data(); }
    void add_word(const char* word)
    {
        // Words are short: copying a byte at a time beats measuring each.
        // The copy runs on locals, which the compiler keeps in registers.
        char* to = out;
        for (;;) {
            char* const limit = text.data() + text.size() - 1;
            while (*word && to < limit)
                *to++ = *word++;
            if (!*word && to < limit)
                break;
            const auto used = to - text.data();
            text.resize(text.size() * 2);
            to = text.data() + used;
        }
        *to++ = ' ';
        out = to;
    }
    void end_line() { *out++ = '\n'; }

private:
    std::vector<char> text = std::vector<char>(256);
    char* out = text.data();
};

void echo_command(ArgList& args)
{
    // The whole line, its line feed included, in one write. The console's
    // flush does nothing, so this is what ending the line with endl gives.
    static WordLine line;
    line.clear();
    for (int i = 1; i < args.argc; ++i)
        line.add_word(args.argv[i] ? args.argv[i] : "");
    line.end_line();
    console.write(line.data(), static_cast<std::streamsize>(line.size()));
}

void clear_command(ArgList&)
{
    console.clear_history();
    sys_clear_screen();
}

void quit_command(ArgList&)
{
    sys_quit(false);
}

void exec_command(ArgList& args)
{
    if (args.argc < 2) {
        console << "Usage: " << args.arg(0) << " script" << std::endl;
        return;
    }
    vfs_istream script(args.arg(1), std::ios::in);
    if (!script.is_open()) {
        console << "Error executing \"" << args.arg(1) << '"' << std::endl;
        return;
    }
    ScriptReader reader(script);
    // A stop request (Ctrl-C, SIGTERM) ends every running script, so that
    // the frame ends and the shutdown comes even when scripts run each
    // other without end.
    while (!sys_stop_requested()) {
        const char* line = reader.next_line();
        if (!line)
            break;
        console.execute(line, not_echoed);
    }
    script.close();
}

void eval_command(ArgList& args)
{
    if (args.argc != 2) {
        console << "Usage: " << args.arg(0) << " string" << std::endl;
        return;
    }
    // A line that may set a secret would show it.
    const char* line = args.arg(1);
    console.execute(line, VariableList::may_set_secret(line) ? not_echoed : echoed);
}

Command echo("echo", echo_command);
Command clear("clear", clear_command);
Command quit("quit", quit_command);
Command exec("exec", exec_command);
Command eval("eval", eval_command);
}

}  // namespace varnholt

// The console's own commands, which need more than the console core: echo,
// clear, quit, exec (scripts through the data directories) and eval.
#include <string>
#include <vector>

#include "varnholt/base/hooks.h"
#include "varnholt/base/stop_request.h"
#include "varnholt/console/console.h"
#include "varnholt/console/function.h"
#include "varnholt/console/registration_unit.h"
#include "varnholt/console/script_reader.h"
#include "varnholt/variables/variable.h"
#include "varnholt/vfs/vfs_stream.h"

namespace varnholt {

// Its objects stand in the listings where the core's list puts this unit.
RegistrationUnit builtin_commands_unit("builtin_commands");

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
    if (hooks().clear_screen)
        hooks().clear_screen();
}

void quit_command(ArgList&)
{
    request_quit();
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
    // A stop request (Ctrl-C, SIGTERM) ends every running script, so that
    // the frame ends and the shutdown comes even when scripts run each
    // other without end; a quit ends them all before their next line.
    ScriptReader reader(script, run_ending);
    while (const char* line = reader.next_line())
        console.execute(line, not_echoed);
    if (reader.gave_up_on_line())
        console << "Error executing \"" << args.arg(1) << "\": a line longer than " << longest_script_line << " bytes"
                << std::endl;
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
const RegistrationUnit::End builtin_commands_unit_end(builtin_commands_unit);
}

}  // namespace varnholt

// The console's own commands, which need more than the console core: echo,
// clear, quit, exec (scripts through the data directories), eval, and help
// and find, which read the descriptions of the registered objects.
#include <string>
#include <vector>

#include "varnholt/base/hooks.h"
#include "varnholt/base/name_pattern.h"
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
        show_usage(args);
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
        show_usage(args);
        return;
    }
    // A line that may set a secret would show it.
    const char* line = args.arg(1);
    console.execute(line, VariableList::may_set_secret(line) ? not_echoed : echoed);
}

// What a new user needs to find the rest.
constexpr const char* console_guide =
    "The first word of a line names a command, which runs with the other words,\n"
    "or a variable, which it shows (vid_width) or sets (vid_width 800).\n"
    "Words are split at blanks; \"a quoted string\" is one word. A word $name stands\n"
    "for the value of the variable name, and // starts a comment. exec name runs\n"
    "the lines of a script file. On a terminal, Tab completes names and the Up and\n"
    "Down arrows recall earlier lines. help name describes a command or variable,\n"
    "find text searches their names and descriptions, ls_cmds and ls_vars list them.\n";

void describe_variable(BaseVariable& variable)
{
    console << variable.value_type() << " variable, " << (variable.persistent() ? "saved" : "not saved");
    if (variable.access() == BaseVariable::Access::constant)
        console << ", constant";
    else if (variable.access() == BaseVariable::Access::read_only)
        console << ", read-only";
    if (const auto& range = variable.range())
        console << ", range " << range->min << " to " << range->max << (range->clamp ? ", clamped" : "");
    console << std::endl;
    // The line that typing the name shows: the value, and the default.
    const char* words[] = {variable.name()};
    ArgList show_line(1, words);
    variable.exec(show_line);
}

void help_command(ArgList& args)
{
    if (args.argc > 2) {
        show_usage(args);
        return;
    }
    if (args.argc < 2) {
        console << console_guide;
        return;
    }
    Function* found = FunctionList::find(args.arg(1));
    if (!found) {
        console << "No command or variable is named \"" << args.arg(1) << "\": try find " << args.arg(1) << std::endl;
        return;
    }
    console << found->name() << " - " << found->description() << std::endl;
    if (found->usage())
        console << "usage: " << found->name() << ' ' << found->usage() << std::endl;
    if (auto* variable = dynamic_cast<BaseVariable*>(found))
        describe_variable(*variable);
}

void find_command(ArgList& args)
{
    if (args.argc != 2) {
        show_usage(args);
        return;
    }
    const char* text = args.arg(1);
    bool any = false;
    for (Function* f = FunctionList::head().next(); f; f = f->next()) {
        if (contains_ignoring_case(f->name(), text) || contains_ignoring_case(f->description(), text)) {
            console << f->name() << " - " << f->description() << std::endl;
            any = true;
        }
    }
    if (!any)
        console << "No command or variable mentions \"" << text << '"' << std::endl;
}

Command echo("echo", echo_command, "Prints its words, each followed by a blank", "words");
Command clear("clear", clear_command, "Empties the console history and the screen");
Command quit("quit", quit_command, "Saves the settings to default.cfg and ends the engine");
Command exec("exec", exec_command, "Runs a script from the data directories, a line at a time", "script");
Command eval("eval", eval_command, "Runs its one argument as a line of its own", "string");
Command help("help", help_command, "Says how the console works, or what a command or variable is", "[name]");
Command find("find", find_command, "Lists the commands and variables whose name or description holds the text",
             "text");
const RegistrationUnit::End builtin_commands_unit_end(builtin_commands_unit);
}

}  // namespace varnholt

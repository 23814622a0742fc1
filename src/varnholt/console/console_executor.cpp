// The executing half of the console: lines run through the FunctionList.
// Apart from console.cpp so that the registry, which writes its messages to
// the console, and the executor, which runs what the registry holds, form
// no include circle.
#include <cstring>
#include <vector>

#include "varnholt/base/command_line.h"
#include "varnholt/console/arg_list.h"
#include "varnholt/console/console.h"
#include "varnholt/console/function.h"

namespace varnholt {

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
    const ArgList* process = program_args_;
    if (!process)
        return;
    for (const CommandGroup& group : group_command_line(process->argc, process->argv, 0).groups) {
        ArgList command = command_args(process->argv, group);
        execute(command, not_echoed);
    }
}

}  // namespace varnholt

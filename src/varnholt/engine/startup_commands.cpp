#include "varnholt/engine/startup_commands.h"

#include <sstream>

#include "varnholt/base/stop_request.h"
#include "varnholt/console/arg_list.h"
#include "varnholt/console/console.h"
#include "varnholt/variables/variable.h"

namespace varnholt {

StartupCommands::StartupCommands(const ArgList& args)
    : args(args), line(group_command_line(args.argc, args.argv, 1))
{
    for (const int word : line.stray)
        console << "Ignoring \"" << args.arg(word) << "\" on the command line: commands start with +" << std::endl;
}

void StartupCommands::run_sets()
{
    for (const CommandGroup& group : line.groups) {
        if (is_set_group(args.argv, group))
            run(group);
        values_after_sets.push_back(target_value(group));
    }
}

void StartupCommands::run_sets_again()
{
    // Running a group whose variable still holds what the first run gave
    // it could only repeat its messages, or cut a new string variable's
    // value to its first word, as setting an existing string does.
    for (std::size_t i = 0; i < line.groups.size(); ++i)
        if (is_set_group(args.argv, line.groups[i]) && target_value(line.groups[i]) != values_after_sets[i])
            run(line.groups[i]);
}

void StartupCommands::run_others()
{
    for (const CommandGroup& group : line.groups)
        if (!is_set_group(args.argv, group))
            run(group);
}

void StartupCommands::run(const CommandGroup& group)
{
    if (run_ending())
        return;
    if (!announced)
        console << command_line_heading << std::endl;
    announced = true;
    ArgList command = command_args(args.argv, group);
    console.execute(command, not_echoed);
}

std::optional<std::string> StartupCommands::target_value(const CommandGroup& group) const
{
    BaseVariable* variable = group.count >= 2 ? VariableList::find(args.arg(group.first + 1)) : nullptr;
    if (!variable)
        return std::nullopt;
    // A secret prints hidden whatever it holds.
    std::ostringstream value;
    variable->print_unhidden(value);
    return value.str();
}

}  // namespace varnholt

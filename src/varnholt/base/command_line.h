/*
 * Console commands given as process arguments. A word that begins with "+"
 * starts a command named by the rest of the word; the words after it, up to
 * the next one that begins with "+" or "-", are its arguments. Each word is
 * one argument as given: nothing is tokenized or substituted.
 *
 * Console::execute_command_line and the start-up group the arguments the
 * same way; the start-up runs the `set` groups both before and after
 * init.cfg, and the others once after it. It works on the plain argument
 * vector and needs nothing of the console; command_args (console/arg_list.h)
 * makes a group a command line.
 */
#pragma once

#include <vector>

namespace varnholt {

// Written before the first group that runs.
constexpr const char* command_line_heading = "Executing commands from command line...";

// One command: `count` words from index `first`, the first of them being
// the "+name" word.
struct CommandGroup {
    int first = 0;
    int count = 0;
};

struct CommandLine {
    std::vector<CommandGroup> groups;  // in the order given
    std::vector<int> stray;            // indexes of the words in no group
};

// Groups the `count` words from index `from` on. Null words are arguments
// of the group before them, never stray.
CommandLine group_command_line(int count, const char* const* words, int from);
// Whether the group's command is `set`, in any letter case.
bool is_set_group(const char* const* words, const CommandGroup& group);

}  // namespace varnholt

/*
 * The console commands of the process arguments, run around the start-up
 * script. `set` groups run before it, so that they can choose the data
 * directories it is read from and be seen by it, and again after it where
 * it changed their variable, so that the command line wins over it and
 * over the settings it replays. The other groups run once after that, in
 * order, as its last lines would.
 *
 * The object lives for the start-up only and keeps a reference to the
 * argument list, which outlives it.
 */
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "varnholt/base/command_line.h"

namespace varnholt {

class ArgList;

class StartupCommands {
public:
    // Groups the arguments after the program path and reports each word
    // that belongs to no group.
    explicit StartupCommands(const ArgList& args);

    // The `set` groups, before the start-up script.
    void run_sets();
    // The `set` groups whose variable the script changed, created or deleted.
    void run_sets_again();
    // Every other group.
    void run_others();

private:
    // Runs the group unless the run is ending (a quit, a stop request); the
    // heading comes before the first group that runs.
    void run(const CommandGroup& group);
    // The value of the variable a `set` group names, as text, or nothing.
    std::optional<std::string> target_value(const CommandGroup& group) const;

    const ArgList& args;
    CommandLine line;
    std::vector<std::optional<std::string>> values_after_sets;  // one per group
    bool announced = false;
};

}  // namespace varnholt

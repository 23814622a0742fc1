/*
 * The variable commands: ls_vars, set, del, reset, reset_all, toggle. The
 * configuration writer that saves the variables is engine/config_writer.
 *
 * `set` creates string variables for names nobody has: during start-up
 * silently and persistent, afterwards announced and not saved. Created
 * variables belong to this unit until `del` destroys them.
 */
#pragma once

#include <string>
#include <vector>

#include "varnholt/variables/variable.h"

namespace varnholt {

// The variables `set` has created and `del` has not destroyed, oldest
// first. Collected from the VariableList on every call: for checks, not for
// paths that run per line.
std::vector<Variable<std::string>*> created_variables();

}  // namespace varnholt

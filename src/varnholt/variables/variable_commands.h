/*
 * The variable commands (ls_vars, set, del, reset, reset_all) and the
 * configuration writer.
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

// Writes the header line and every persistent variable's `set` line to
// `file_name` under the data directories, replacing the file whole or not
// at all (see vfs_save_file). False when it cannot be written.
bool write_config(const char* file_name);

}  // namespace varnholt

/*
 * The configuration writer: saves every persistent variable as a `set`
 * line, in the order of the VariableList, so that running the file gives
 * the values back. The shutdown writes "default.cfg" this way, and
 * init.cfg replays it at the next start.
 */
#pragma once

namespace varnholt {

// Writes the header line and every persistent variable's `set` line to
// `file_name` under the data directories, replacing the file whole or not
// at all (see vfs_save_file). False when it cannot be written.
bool write_config(const char* file_name);

}  // namespace varnholt

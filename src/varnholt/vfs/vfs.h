/*
 * The virtual file system: where data files live, and its start-up report.
 *
 * Every file the engine reads or writes by name is looked up under
 * `gamepath` first and `basepath` second (see vfs_stream.h). Both are
 * constants: the start-up script may change them, nothing afterwards can.
 */
#pragma once

#include <string>

#include "varnholt/variables/variable.h"

namespace varnholt {

extern ConstVariable<std::string> basepath;
extern ConstVariable<std::string> gamepath;

// Writes the start-up report: the heading and every archive format.
int vfs_init();
// Announces a search path; silent, as no verbose mode exists.
int vfs_add_path(const char* path);
// Writes "Closing file system...". Streams still work afterwards.
int vfs_close();

}  // namespace varnholt

/*
 * The virtual file system: where data files live, the search list every
 * file read by name goes through, and its start-up report.
 *
 * The search list holds, for `gamepath` and then `basepath` (once when both
 * name the same directory), what each archive format mounts there in
 * registry order: the directory's plain files, then its packs. The first
 * mount that has a name serves it. Writes go to the directories themselves
 * (vfs_stream.h, save_file.h). Both variables are constants: the start-up
 * script may change them, and the list follows; nothing afterwards can.
 */
#pragma once

#include <memory>
#include <streambuf>
#include <string>

#include "varnholt/variables/variable.h"
#include "varnholt/vfs/archive.h"

namespace varnholt {

extern ConstVariable<std::string> basepath;
extern ConstVariable<std::string> gamepath;

// Writes the start-up report: the heading, every archive format and every
// mounted pack.
int vfs_init();
// Announces a search path; silent, as no verbose mode exists.
int vfs_add_path(const char* path);
// Writes "Closing file system...". Streams still work afterwards.
int vfs_close();

// The search list, built on first use and again whenever `gamepath` or
// `basepath` has changed since; a pack whose file is unchanged is not
// mounted again. Valid until the next call of any function below.
const VFS_MountList& vfs_search_list();
// Forgets the list: the next use mounts the directories as they are now.
void vfs_forget_mounts();
// A buffer reading `name` from the first mount that can open it, owned by
// the caller; null when none can or the name has a ".." component.
std::unique_ptr<std::streambuf> vfs_open(const char* name);
// The first mount that has `name`, and what it is there; null (and
// Kind::none) when none has it.
const VFS_Mount* vfs_which(const char* name, VFS_Mount::Kind& kind);
// Visits, each once (letter case ignored) and sorted, the names the search
// list reaches in `folder` ("" or ending in "/"), or beneath it with
// `recursive` (as VFS_Mount::list).
void vfs_list(const std::string& folder, bool recursive, const VFS_Mount::Visitor& visit);

}  // namespace varnholt

/*
 * Saving a whole file under the data directories so that it is replaced
 * whole or not at all: a crash, a full disk or a file-size limit half-way
 * through leaves the old file as it was. The engine's settings and history
 * are saved this way.
 */
#pragma once

#include <string>
#include <sys/types.h>

namespace varnholt {

// The permission bits a file gets when a save creates it, less the
// file-creation mask: one that others may read, or one only its owner may.
constexpr mode_t shared_file = 0664, private_file = 0600;

// Saves `content` as `name` under `gamepath`, or under `basepath` when the
// file cannot be written there, as vfs_ostream would choose. A regular file
// (or a missing one) is replaced through a temporary file in the same
// directory, flushed to the disk and renamed over it; it keeps the mode of
// the file it replaces, and a new one gets `new_mode`. A symbolic link stays
// a link: its target is replaced. A target that is no regular file (a
// device, a named pipe) or that has other names (hard links) is written in
// place. On failure the temporary file is removed and false returned. A
// regular file that already holds `content` is left as it is.
bool vfs_save_file(const char* name, const std::string& content, mode_t new_mode = shared_file);

}  // namespace varnholt

/*
 * Zip packs: read-only archives in the data directories, parsed by minizip.
 *
 * A pack is indexed once, when it is mounted: every entry's name (compared
 * ignoring ASCII case, as console names are) and where minizip finds it in
 * the central directory, in one flat table. Opening a name then costs a
 * hash lookup and reading the entry's own headers; every open stream has a
 * minizip handle of its own and a buffer of at most pack_chunk_size bytes,
 * whatever the entry's size.
 *
 * Damage never stops the engine: a pack that is no readable zip is not
 * mounted, an entry that cannot be read safely (unsafe name, encryption,
 * an unknown method) is left out, and damage found while reading ends that
 * stream. Each finding is one console line naming the pack and the entry.
 */
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <utility>
#include <vector>

#include "varnholt/vfs/archive.h"

namespace varnholt {

// Where a pack's bytes come from: a file kept open while any stream reads
// it, or memory (the tests and the fuzz target).
class PackBytes {
public:
    virtual ~PackBytes() = default;
    virtual std::uint64_t size() const = 0;
    // Reads up to `size` bytes at `offset`; fewer only at the end or after
    // an error.
    virtual std::size_t read(std::uint64_t offset, void* into, std::size_t size) const = 0;
};

// The bytes of the file at `path` as it is now, or null when it is no
// regular file that can be opened. A file replaced later does not change
// what is read.
std::unique_ptr<PackBytes> pack_file_bytes(const std::string& path);
std::unique_ptr<PackBytes> pack_memory_bytes(std::string bytes);

// Indexes `bytes` as a pack shown as `path`. Null, after one console line,
// when they are no readable zip archive.
std::shared_ptr<VFS_Mount> vfs_mount_pack(std::unique_ptr<PackBytes> bytes, const std::string& path);

// The bytes of memory a mounted pack's index takes; 0 for other mounts.
std::size_t vfs_pack_index_bytes(const VFS_Mount& mount);

// Zip packs: mounts the "*.zip" files of a directory (any letter case),
// the name that sorts last first, so that a later pack patches an earlier.
class VFS_ZipArchive : public VFS_BaseArchive {
public:
    VFS_ZipArchive();

    // A pack of `previous` whose file is unchanged is taken over as it is;
    // one that could not be mounted is not tried (nor reported) again.
    void mount(const std::string& directory, const VFS_MountList& previous, VFS_MountList& mounts) override;

private:
    std::vector<std::pair<std::string, struct stat>> refused;  // path, file
};

}  // namespace varnholt

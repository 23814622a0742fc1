/*
 * Archive formats and mounts.
 *
 * A format is a kind of archive: it describes itself in one line (listed by
 * vfs_init) and finds its archives in a data directory. Formats register
 * themselves in a chain, in construction order, behind a head that is
 * created on first use and destroyed at exit after every format; that order
 * is also their order within a directory on the search list (plain files
 * before packs).
 *
 * A mount is one archive on the search list: a directory of plain files or
 * one pack. Every file read by name is opened through a mount (vfs.h), so
 * a directory and a pack are two implementations of one interface, and a
 * test can mount a pack held in memory.
 */
#pragma once

#include <fstream>
#include <functional>
#include <ios>
#include <memory>
#include <streambuf>
#include <string>
#include <vector>

#include "varnholt/base/intrusive_list.h"

namespace varnholt {

class VFS_Mount {
public:
    enum class Kind { none, file, folder };
    // Receives a name relative to the data directory and whether it is a
    // folder (the name then has no trailing "/").
    using Visitor = std::function<void(const std::string& name, bool folder)>;

    virtual ~VFS_Mount() = default;
    VFS_Mount(const VFS_Mount&) = delete;
    VFS_Mount& operator=(const VFS_Mount&) = delete;

    // The directory, or the pack's file, as vfs_path shows it.
    const std::string& path() const { return path_; }
    // Files reachable in a pack; -1 for a directory.
    virtual long file_count() const { return -1; }

    // What `name` is in this mount.
    virtual Kind kind(const char* name) const = 0;
    // A buffer reading the file `name` from its start, owned by the caller;
    // null when this mount has no such file or cannot read it (a pack says
    // why on the console).
    virtual std::unique_ptr<std::streambuf> open(const char* name) const = 0;
    // Visits what the folder `folder` ("" for the top, else ending in "/")
    // holds; with `recursive`, everything beneath it instead, less the
    // hidden names (a part beginning with ".") and what lies in them.
    virtual void list(const std::string& folder, bool recursive, const Visitor& visit) const = 0;

protected:
    explicit VFS_Mount(std::string path) : path_(std::move(path)) {}

private:
    std::string path_;
};

using VFS_MountList = std::vector<std::shared_ptr<VFS_Mount>>;

class VFS_BaseArchive {
public:
    // Created on first use: formats in other files may register before this
    // file's globals are initialised. Has no description.
    static VFS_BaseArchive* head();

    // An unregistered object with no description (the head).
    VFS_BaseArchive() = default;
    // Copies `description` and appends the format to the chain; a null
    // description registers nothing.
    explicit VFS_BaseArchive(const char* description);
    virtual ~VFS_BaseArchive();
    VFS_BaseArchive(const VFS_BaseArchive&) = delete;
    VFS_BaseArchive& operator=(const VFS_BaseArchive&) = delete;

    // Appends to `mounts`, in search order, this format's archives in
    // `directory`. A mount of `previous` (the list being replaced) that is
    // still current may be taken over instead of mounting again. Nothing
    // here.
    virtual void mount(const std::string& directory, const VFS_MountList& previous, VFS_MountList& mounts);

    VFS_BaseArchive* next() const { return chain_link.next; }
    // Null for the head.
    const char* description() const { return description_; }

private:
    char* description_ = nullptr;  // owned, array-allocated
    ListLink<VFS_BaseArchive> chain_link;

public:
    using Chain = IntrusiveList<VFS_BaseArchive, &VFS_BaseArchive::chain_link>;
};

// Plain files: mounts the directory itself.
class VFS_FileArchive : public VFS_BaseArchive {
public:
    VFS_FileArchive();

    void mount(const std::string& directory, const VFS_MountList& previous, VFS_MountList& mounts) override;
};

// The plain files under `directory`.
std::shared_ptr<VFS_Mount> vfs_mount_directory(const std::string& directory);

// Whether `name` has a ".." component: such a name could reach outside the
// directory it is looked up in, and is never opened.
bool vfs_name_climbs(const char* name);

// Opens `path` in `buffer`; a directory never opens. A file that the open
// creates gets the permission bits 0664, less the file-creation mask.
bool vfs_open_file(std::filebuf& buffer, const std::string& path, std::ios::openmode mode);

}  // namespace varnholt

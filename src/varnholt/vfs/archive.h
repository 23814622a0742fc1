/*
 * Archive formats: objects that describe themselves in one line (listed by
 * vfs_init) and can test for, open and release files. Formats register
 * themselves in a chain, in construction order, behind a head that is
 * created on first use and destroyed at exit after every format.
 */
#pragma once

#include <fstream>
#include <ios>

#include "varnholt/base/intrusive_list.h"

namespace varnholt {

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

    // Whether `name` can be opened for reading; false here.
    virtual bool exists(const char* name);
    // A new buffer, owned by the caller until close(), that may or may not
    // have opened `name`; null here.
    virtual std::filebuf* open(const char* name, std::ios::openmode mode);
    // Destroys a buffer from open(); false here.
    virtual bool close(std::filebuf* buffer);

    VFS_BaseArchive* next() const { return chain_link.next; }
    // Null for the head.
    const char* description() const { return description_; }

private:
    char* description_ = nullptr;  // owned, array-allocated
    ListLink<VFS_BaseArchive> chain_link;

public:
    using Chain = IntrusiveList<VFS_BaseArchive, &VFS_BaseArchive::chain_link>;
};

// Plain files under one directory, fixed at construction.
class VFS_FileArchive : public VFS_BaseArchive {
public:
    explicit VFS_FileArchive(const char* path);
    ~VFS_FileArchive() override;

    bool exists(const char* name) override;
    std::filebuf* open(const char* name, std::ios::openmode mode) override;
    // Destroys `buffer` (null is allowed); always true.
    bool close(std::filebuf* buffer) override;

private:
    // "<path>/<name>"
    std::string full_name(const char* name) const;

    char* path;  // owned, array-allocated
};

// Whether `name` has a ".." component: such a name could reach outside the
// directory it is looked up in, and is never opened.
bool vfs_name_climbs(const char* name);

// Opens `path` in `buffer`; a directory never opens. A file that the open
// creates gets the permission bits 0664, less the file-creation mask.
bool vfs_open_file(std::filebuf& buffer, const std::string& path, std::ios::openmode mode);

}  // namespace varnholt

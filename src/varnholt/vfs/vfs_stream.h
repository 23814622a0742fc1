/*
 * File streams that open a name under the data directories: `gamepath`
 * first, then `basepath`, read at the time of opening. The name is appended
 * after a single "/"; a name with a ".." component opens nothing, so no
 * name reaches outside the data directories (a symbolic link placed in one
 * still does). Input streams read regular files only (regular_file_buffer.h).
 * Each stream owns its file buffer; a stream that opened nothing is in the
 * failed state.
 */
#pragma once

#include <fstream>
#include <istream>
#include <ostream>

#include "varnholt/vfs/regular_file_buffer.h"

namespace varnholt {

class vfs_istream : public std::istream {
public:
    vfs_istream(const char* name, std::ios::openmode mode = std::ios::in);

    // Files are read as bytes, whatever the mode.
    void open(const char* name, std::ios::openmode mode);
    bool is_open() const { return buffer.is_open(); }
    void close();

private:
    RegularFileBuffer buffer;
};

class vfs_ostream : public std::ostream {
public:
    vfs_ostream(const char* name, std::ios::openmode mode = std::ios::out | std::ios::trunc);

    void open(const char* name, std::ios::openmode mode);
    bool is_open() const { return buffer.is_open(); }
    // Flushes and closes; a failed write sets the failed state.
    void close();

private:
    std::filebuf buffer;
};

}  // namespace varnholt

/*
 * File streams that open a name under the data directories. An input
 * stream reads through the search list (vfs.h): a plain file (regular files
 * only, regular_file_buffer.h) or a pack entry, the first mount that has
 * it. An output stream writes under `gamepath` first, then `basepath`,
 * read at the time of opening, the name appended after a single "/". A
 * name with a ".." component opens nothing, so no name reaches outside the
 * data directories (a symbolic link placed in one still does). Each stream
 * owns its buffer; a stream that opened nothing is in the failed state.
 */
#pragma once

#include <fstream>
#include <istream>
#include <memory>
#include <ostream>
#include <streambuf>


namespace varnholt {

class vfs_istream : public std::istream {
public:
    vfs_istream(const char* name, std::ios::openmode mode = std::ios::in);

    // Files are read as bytes, whatever the mode.
    void open(const char* name, std::ios::openmode mode);
    bool is_open() const { return buffer != nullptr; }
    void close();

private:
    std::unique_ptr<std::streambuf> buffer;
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

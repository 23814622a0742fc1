/*
 * A stream buffer that reads one regular file: what vfs_istream reads its
 * scripts and files through. Opening never blocks and refuses everything
 * but a regular file: a named pipe nobody writes, a device that never ends
 * (/dev/zero) and a directory do not open. The buffer owns its descriptor
 * and closes it at the latest when it is destroyed.
 */
#pragma once

#include <memory>
#include <streambuf>
#include <string>

namespace varnholt {

class RegularFileBuffer : public std::streambuf {
public:
    RegularFileBuffer() = default;
    ~RegularFileBuffer() override;
    RegularFileBuffer(const RegularFileBuffer&) = delete;
    RegularFileBuffer& operator=(const RegularFileBuffer&) = delete;

    // Opens `path` for reading when it is a regular file (a symbolic link
    // to one counts); closes what was open before. False when nothing opened.
    bool open(const std::string& path);
    bool is_open() const { return fd >= 0; }
    // False when nothing was open.
    bool close();

protected:
    int_type underflow() override;
    // Large requests (a script reader's blocks) are read straight into `into`.
    std::streamsize xsgetn(char* into, std::streamsize size) override;
    // What is left of the file as it stands now.
    std::streamsize showmanyc() override;

private:
    int fd = -1;
    std::unique_ptr<char[]> buffer;  // read_size bytes while open
};

}  // namespace varnholt

#include "varnholt/vfs/vfs_stream.h"

#include "varnholt/vfs/archive.h"
#include "varnholt/vfs/vfs.h"

namespace varnholt {

namespace {
bool open_in_data_directories(std::filebuf& buffer, const char* name, std::ios::openmode mode)
{
    return !vfs_name_climbs(name)
        && (vfs_open_file(buffer, gamepath.value + '/' + name, mode)
            || vfs_open_file(buffer, basepath.value + '/' + name, mode));
}
}

vfs_istream::vfs_istream(const char* name, std::ios::openmode mode) : std::istream(nullptr)
{
    open(name, mode);
}

void vfs_istream::open(const char* name, std::ios::openmode)
{
    rdbuf(nullptr);
    buffer = vfs_open(name);
    if (buffer)
        rdbuf(buffer.get());
    else
        setstate(std::ios::failbit);
}

void vfs_istream::close()
{
    if (!buffer)
        setstate(std::ios::failbit);
    // No buffer leaves the stream bad: nothing more can be read.
    rdbuf(nullptr);
    buffer.reset();
}

vfs_ostream::vfs_ostream(const char* name, std::ios::openmode mode) : std::ostream(nullptr)
{
    rdbuf(&buffer);
    open(name, mode);
}

void vfs_ostream::open(const char* name, std::ios::openmode mode)
{
    if (!open_in_data_directories(buffer, name, mode | std::ios::out))
        setstate(std::ios::failbit);
}

void vfs_ostream::close()
{
    if (!buffer.close())
        setstate(std::ios::failbit);
}

}  // namespace varnholt

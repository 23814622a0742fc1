#include "varnholt/vfs/archive.h"

#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "varnholt/base/copy_string.h"

namespace varnholt {

namespace {
VFS_BaseArchive::Chain& chain()
{
    static VFS_BaseArchive::Chain instance;
    return instance;
}
}

VFS_BaseArchive* VFS_BaseArchive::head()
{
    return &chain().head();
}

VFS_BaseArchive::VFS_BaseArchive(const char* text) : description_(copy_string(text))
{
    if (description_)
        chain().append(*this);
}

VFS_BaseArchive::~VFS_BaseArchive()
{
    // The head was never linked: it may be the chain being torn down.
    if (Chain::is_linked(*this))
        chain().unlink(*this);
    delete[] description_;
}

bool VFS_BaseArchive::exists(const char*)
{
    return false;
}

std::filebuf* VFS_BaseArchive::open(const char*, std::ios::openmode)
{
    return nullptr;
}

bool VFS_BaseArchive::close(std::filebuf*)
{
    return false;
}

VFS_FileArchive::VFS_FileArchive(const char* directory)
    : VFS_BaseArchive("provides access to normal files"), path(copy_string(directory))
{
}

VFS_FileArchive::~VFS_FileArchive()
{
    delete[] path;
}

bool VFS_FileArchive::exists(const char* name)
{
    if (vfs_name_climbs(name))
        return false;
    std::ifstream file(full_name(name), std::ios::in);
    return !file.fail();
}

std::filebuf* VFS_FileArchive::open(const char* name, std::ios::openmode mode)
{
    auto* buffer = new std::filebuf;
    if (!vfs_name_climbs(name))
        vfs_open_file(*buffer, full_name(name), mode);
    return buffer;
}

bool VFS_FileArchive::close(std::filebuf* buffer)
{
    delete buffer;
    return true;
}

std::string VFS_FileArchive::full_name(const char* name) const
{
    return std::string(path) + '/' + name;
}

bool vfs_name_climbs(const char* name)
{
    for (const char* part = name;; ++part) {
        const char* const slash = std::strchr(part, '/');
        const std::size_t length = slash ? static_cast<std::size_t>(slash - part) : std::strlen(part);
        if (length == 2 && part[0] == '.' && part[1] == '.')
            return true;
        if (!slash)
            return false;
        part = slash;
    }
}

bool vfs_open_file(std::filebuf& buffer, const std::string& path, std::ios::openmode mode)
{
    // A directory opens for reading, then fails every read as if empty.
    struct stat status;
    if (stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode))
        return false;
    // filebuf creates files with 0666; create it first with our own bits.
    const bool creates
        = (mode & std::ios::out) && (!(mode & std::ios::in) || (mode & (std::ios::trunc | std::ios::app)));
    if (creates) {
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0664);
        if (fd >= 0)
            ::close(fd);
    }
    return buffer.open(path, mode) != nullptr;
}

}  // namespace varnholt

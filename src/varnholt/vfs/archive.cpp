#include "varnholt/vfs/archive.h"

#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "varnholt/base/copy_string.h"
#include "varnholt/vfs/regular_file_buffer.h"

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

void VFS_BaseArchive::mount(const std::string&, const VFS_MountList&, VFS_MountList&)
{
}

namespace {
class DirectoryMount : public VFS_Mount {
public:
    explicit DirectoryMount(const std::string& directory) : VFS_Mount(directory) {}

    Kind kind(const char* name) const override
    {
        struct stat status;
        if (stat(full_name(name).c_str(), &status) != 0)
            return Kind::none;
        return S_ISDIR(status.st_mode) ? Kind::folder : Kind::file;
    }

    std::unique_ptr<std::streambuf> open(const char* name) const override
    {
        // Regular files only, opened without blocking: a named pipe or a
        // device given as a script would hold the engine up.
        auto buffer = std::make_unique<RegularFileBuffer>();
        if (!buffer->open(full_name(name)))
            return nullptr;
        return buffer;
    }

    void list(const std::string& folder, bool recursive, const Visitor& visit) const override
    {
        DIR* directory = opendir(full_name(folder.c_str()).c_str());
        if (!directory)
            return;
        while (const dirent* entry = readdir(directory)) {
            const std::string leaf = entry->d_name;
            if (leaf == "." || leaf == ".." || (recursive && leaf[0] == '.'))
                continue;
            const std::string name = folder + leaf;
            struct stat status;
            if (stat(full_name(name.c_str()).c_str(), &status) != 0)
                continue;
            visit(name, S_ISDIR(status.st_mode));
            // A linked folder is listed but not entered: a link to a folder
            // above it would never end.
            if (recursive && S_ISDIR(status.st_mode) && lstat(full_name(name.c_str()).c_str(), &status) == 0
                && !S_ISLNK(status.st_mode))
                list(name + '/', true, visit);
        }
        closedir(directory);
    }

private:
    std::string full_name(const char* name) const { return path() + '/' + name; }
};
}

VFS_FileArchive::VFS_FileArchive() : VFS_BaseArchive("provides access to normal files")
{
}

void VFS_FileArchive::mount(const std::string& directory, const VFS_MountList&, VFS_MountList& mounts)
{
    mounts.push_back(vfs_mount_directory(directory));
}

std::shared_ptr<VFS_Mount> vfs_mount_directory(const std::string& directory)
{
    return std::make_shared<DirectoryMount>(directory);
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

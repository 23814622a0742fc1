#include "varnholt/vfs/save_file.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

#include "varnholt/vfs/archive.h"
#include "varnholt/vfs/vfs.h"

namespace varnholt {

namespace {
enum class Saved { yes, failed, not_here };

// Truncates and writes the file itself, as every save did before files were
// replaced: the way for devices, named pipes and files with other names, and
// for a writable file in a directory that takes no new files. A missing
// target (behind a dangling link) is created with `new_mode`.
Saved write_in_place(const std::string& path, const std::string& content, mode_t new_mode)
{
    struct stat status;
    if (stat(path.c_str(), &status) != 0 && errno == ENOENT) {
        const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, new_mode);
        if (fd >= 0)
            close(fd);
    }
    std::filebuf file;
    if (!vfs_open_file(file, path, std::ios::out | std::ios::trunc))
        return Saved::not_here;
    const auto size = static_cast<std::streamsize>(content.size());
    const bool written = file.sputn(content.data(), size) == size;
    return file.close() && written ? Saved::yes : Saved::failed;
}

bool write_all(int fd, const std::string& content)
{
    for (std::size_t done = 0; done < content.size();) {
        const ssize_t count = write(fd, content.data() + done, content.size() - done);
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            return false;
        done += static_cast<std::size_t>(count);
    }
    return true;
}

// Whether the regular file at `path`, of `size` bytes, holds `content`.
bool holds(const std::string& path, off_t size, const std::string& content)
{
    if (size != static_cast<off_t>(content.size()))
        return false;
    std::ifstream file(path, std::ios::binary);
    std::string current(content.size() + 1, '\0');
    file.read(&current[0], static_cast<std::streamsize>(current.size()));
    return file.gcount() == size && current.compare(0, content.size(), content) == 0;
}

std::string directory_of(const std::string& path)
{
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

// Makes the rename itself survive a crash; a failure here loses nothing
// that the old file had.
void sync_directory(const std::string& directory)
{
    const int fd = open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        fsync(fd);
        close(fd);
    }
}

Saved save_at(const std::string& path, const std::string& content, mode_t new_mode)
{
    std::string target = path;
    struct stat status;
    if (lstat(path.c_str(), &status) == 0 && S_ISLNK(status.st_mode)) {
        // A dangling or looping link is written through, as before.
        char resolved[PATH_MAX];
        if (!realpath(path.c_str(), resolved))
            return write_in_place(path, content, new_mode);
        target = resolved;
    }
    const bool exists = stat(target.c_str(), &status) == 0;
    if (!exists && errno != ENOENT)
        return Saved::not_here;  // a path through a file, say
    if (exists && !S_ISREG(status.st_mode))
        return S_ISDIR(status.st_mode) ? Saved::not_here : write_in_place(target, content, new_mode);
    if (exists && access(target.c_str(), W_OK) != 0)
        return Saved::not_here;
    // Unchanged settings cost a read instead of two flushes to the disk.
    if (exists && holds(target, status.st_size, content))
        return Saved::yes;
    // A new file would cut the other names off from the settings.
    if (exists && status.st_nlink > 1)
        return write_in_place(target, content, new_mode);

    std::string temporary = target + ".XXXXXX";
    const int fd = mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0)
        return exists ? write_in_place(target, content, new_mode) : Saved::not_here;
    const mode_t mask = umask(0);
    umask(mask);
    const mode_t mode = exists ? status.st_mode & 07777 : new_mode & ~mask;
    const bool saved = fchmod(fd, mode) == 0 && write_all(fd, content) && fsync(fd) == 0;
    if (close(fd) != 0 || !saved || rename(temporary.c_str(), target.c_str()) != 0) {
        unlink(temporary.c_str());
        return Saved::failed;
    }
    sync_directory(directory_of(target));
    return Saved::yes;
}
}

bool vfs_save_file(const char* name, const std::string& content, mode_t new_mode)
{
    for (const std::string* directory : {&gamepath.value, &basepath.value}) {
        const Saved saved = save_at(*directory + '/' + name, content, new_mode);
        if (saved != Saved::not_here)
            return saved == Saved::yes;
    }
    return false;
}

}  // namespace varnholt

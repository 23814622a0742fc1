#include "varnholt/vfs/regular_file_buffer.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace varnholt {

namespace {
// For line-by-line readers; a script reader's blocks bypass it.
constexpr std::size_t read_size = 8192;

// Bytes read, 0 at the end of the file, -1 after an error.
ssize_t read_some(int fd, char* into, std::size_t size)
{
    ssize_t count;
    do {
        count = ::read(fd, into, size);
    } while (count < 0 && errno == EINTR);
    return count;
}
}

RegularFileBuffer::~RegularFileBuffer()
{
    close();
}

bool RegularFileBuffer::open(const std::string& path)
{
    close();
    // O_NONBLOCK: a named pipe without a writer would hold open() up for
    // good. It changes nothing for the regular file that is kept.
    const int opened = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (opened < 0)
        return false;
    struct stat status;
    if (fstat(opened, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(opened);
        return false;
    }
    fd = opened;
    buffer.reset(new char[read_size]);
    setg(buffer.get(), buffer.get(), buffer.get());
    return true;
}

bool RegularFileBuffer::close()
{
    if (fd < 0)
        return false;
    ::close(fd);
    fd = -1;
    setg(nullptr, nullptr, nullptr);
    buffer.reset();
    return true;
}

RegularFileBuffer::int_type RegularFileBuffer::underflow()
{
    const ssize_t count = fd < 0 ? -1 : read_some(fd, buffer.get(), read_size);
    if (count <= 0)
        return traits_type::eof();
    setg(buffer.get(), buffer.get(), buffer.get() + count);
    return traits_type::to_int_type(buffer[0]);
}

std::streamsize RegularFileBuffer::xsgetn(char* into, std::streamsize size)
{
    std::streamsize done = std::min<std::streamsize>(size, egptr() - gptr());
    if (done > 0) {
        std::memcpy(into, gptr(), static_cast<std::size_t>(done));
        gbump(static_cast<int>(done));
    }
    while (fd >= 0 && done < size) {
        const ssize_t count = read_some(fd, into + done, static_cast<std::size_t>(size - done));
        if (count <= 0)
            break;
        done += count;
    }
    return done;
}

std::streamsize RegularFileBuffer::showmanyc()
{
    // A file that shrinks meanwhile only ends the reads sooner.
    struct stat status;
    const off_t at = fd < 0 ? -1 : lseek(fd, 0, SEEK_CUR);
    if (at < 0 || fstat(fd, &status) != 0 || status.st_size <= at)
        return 0;
    return static_cast<std::streamsize>(status.st_size - at);
}

}  // namespace varnholt

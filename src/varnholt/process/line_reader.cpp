#include "varnholt/process/line_reader.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <poll.h>
#include <unistd.h>

namespace varnholt {

namespace {
constexpr std::size_t block_size = 65536;
constexpr std::size_t max_line_length = line_size - 1;
}

bool LineReader::next_line(char (&line)[line_size])
{
    did_read = false;
    if (take_line(line))
        return true;
    if (closed || !descriptor_ready())
        return false;
    read_block();
    return take_line(line);
}

bool LineReader::descriptor_ready()
{
    if (closed)
        return false;
    pollfd entry {fd, POLLIN, 0};
    const int ready = poll(&entry, 1, 0);
    // Any event counts: a hang-up, an error or a descriptor that is not open
    // makes the read find the end of the input. A check that fails would
    // fail again in every frame; taking it for "ready" instead could block
    // the frame loop in the read.
    if (ready < 0 && errno != EINTR) {
        poll_error = errno;
        closed = true;
    }
    return ready > 0;
}

int LineReader::take_poll_error()
{
    const int error = poll_error;
    poll_error = 0;
    return error;
}

void LineReader::read_block()
{
    // Drop what was taken before the buffer grows.
    if (start > 0) {
        pending.erase(pending.begin(), pending.begin() + static_cast<std::ptrdiff_t>(start));
        start = 0;
    }
    const std::size_t old_size = pending.size();
    pending.resize(old_size + block_size);
    ssize_t count;
    do {
        count = read(fd, pending.data() + old_size, block_size);
    } while (count < 0 && errno == EINTR);
    const bool nothing_yet = count < 0 && errno == EAGAIN;
    pending.resize(old_size + (count > 0 ? static_cast<std::size_t>(count) : 0));
    did_read = !nothing_yet;
    if (count <= 0 && !nothing_yet)
        closed = true;
}

bool LineReader::take_line(char (&line)[line_size])
{
    for (;;) {
        const std::size_t available = pending.size() - start;
        if (available == 0)
            return false;
        const char* begin = pending.data() + start;
        const char* feed = static_cast<const char*>(std::memchr(begin, '\n', available));
        if (discarding) {
            // The rest of an over-long line never runs as a line of its own.
            start = feed ? start + static_cast<std::size_t>(feed - begin) + 1 : pending.size();
            discarding = !feed;
            continue;
        }
        if (!feed && available < max_line_length && !closed)
            return false;
        const std::size_t length = feed ? static_cast<std::size_t>(feed - begin) : available;
        const std::size_t kept = std::min(length, max_line_length);
        std::memcpy(line, begin, kept);
        line[kept] = '\0';
        if (feed) {
            start += length + 1;
        } else {
            start = pending.size();
            discarding = !closed;
        }
        return true;
    }
}

}  // namespace varnholt

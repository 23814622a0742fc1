#include "engine/line_reader.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <sys/select.h>
#include <unistd.h>

namespace {
constexpr std::size_t block_size = 65536;
constexpr std::size_t max_line_length = line_size - 1;
}

bool LineReader::next_line(char (&line)[line_size])
{
    if (take_line(line))
        return true;
    if (closed || !descriptor_ready())
        return false;
    read_block();
    return take_line(line);
}

bool LineReader::descriptor_ready() const
{
    if (fd < 0 || fd >= FD_SETSIZE)
        return false;
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(fd, &readable);
    timeval no_wait {0, 0};
    // A failing select (a closed descriptor, say) also reports readiness,
    // so that the read finds out and ends the input.
    const int ready = select(fd + 1, &readable, nullptr, nullptr, &no_wait);
    return ready != 0 && (ready < 0 ? errno != EINTR : FD_ISSET(fd, &readable));
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
    pending.resize(old_size + (count > 0 ? static_cast<std::size_t>(count) : 0));
    if (count == 0 || (count < 0 && errno != EAGAIN))
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

#include "varnholt/process/line_reader.h"

#include <cerrno>
#include <cstring>
#include <poll.h>
#include <unistd.h>

namespace varnholt {

bool LineReader::next_line(char (&line)[line_size])
{
    did_read = false;
    const char* text = lines.next_line();
    if (!text && descriptor_ready()) {
        read_block();
        text = lines.next_line();
    }
    if (!text)
        return false;
    std::memcpy(line, text, std::strlen(text) + 1);
    return true;
}

bool LineReader::descriptor_ready()
{
    if (lines.input_ended())
        return false;
    pollfd entry {fd, POLLIN, 0};
    const int ready = poll(&entry, 1, 0);
    // Any event counts: a hang-up, an error or a descriptor that is not open
    // makes the read find the end of the input. A check that fails would
    // fail again in every frame; taking it for "ready" instead could block
    // the frame loop in the read.
    if (ready < 0 && errno != EINTR) {
        poll_error = errno;
        lines.end_input();
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
    std::size_t room;
    char* const into = lines.space(room);
    ssize_t count;
    do {
        count = read(fd, into, room);
    } while (count < 0 && errno == EINTR);
    const bool nothing_yet = count < 0 && errno == EAGAIN;
    did_read = !nothing_yet;
    if (count > 0)
        lines.added(static_cast<std::size_t>(count));
    else if (!nothing_yet)
        lines.end_input();
}

}  // namespace varnholt

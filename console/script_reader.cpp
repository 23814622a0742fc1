#include "console/script_reader.h"

#include <algorithm>
#include <cstring>

namespace {
// Large enough that reading costs a few system calls per megabyte; only
// the pages a script fills are ever touched.
constexpr std::size_t block_size = 65536;
constexpr std::size_t max_line_length = line_size - 1;
}

ScriptReader::ScriptReader(std::istream& in, bool (*stop_requested)())
    : in(in), stop_requested(stop_requested), block(new char[block_size + 1])
{
}

const char* ScriptReader::next_line()
{
    if (gave_up || (stop_requested && stop_requested()))
        return nullptr;
    for (;;) {
        char* const first = block.get() + start;
        const std::size_t available = end - start;
        auto* feed = static_cast<char*>(std::memchr(first, '\n', available));
        if (discarding) {
            discarding = !feed;
            start = feed ? static_cast<std::size_t>(feed - block.get()) + 1 : end;
            skipped += feed ? static_cast<std::size_t>(feed - first) : available;
            // Endless input (a huge file without a line feed) must neither
            // hold a stop request up nor keep the frame waiting for long.
            gave_up = max_line_length + skipped > longest_script_line;
            if (gave_up || (stop_requested && stop_requested()) || (discarding && !fill()))
                return nullptr;
            continue;
        }
        if (feed && static_cast<std::size_t>(feed - first) <= max_line_length) {
            *feed = '\0';
            start += static_cast<std::size_t>(feed - first) + 1;
            return first;
        }
        if (available > max_line_length) {
            // Over-long: its first 1023 characters run, the rest is dropped
            // (the character cut off by the zero belongs to that rest).
            first[max_line_length] = '\0';
            skipped = (feed ? static_cast<std::size_t>(feed - first) : available) - max_line_length;
            discarding = feed == nullptr;
            start = feed ? static_cast<std::size_t>(feed - block.get()) + 1 : end;
            return first;
        }
        if (!fill()) {
            if (available == 0)
                return nullptr;
            // The last line, without a line feed, now at the front of the
            // block: the spare byte takes its zero.
            char* const last = block.get() + start;
            last[available] = '\0';
            start = end;
            return last;
        }
    }
}

bool ScriptReader::fill()
{
    if (ended)
        return false;
    if (start > 0) {
        std::memmove(block.get(), block.get() + start, end - start);
        end -= start;
        start = 0;
    }
    // What the stream buffer holds already, or else what one read gives. A
    // short read is no end: only the end of the stream (or an error) is. A
    // buffer that tells nothing of what it holds is asked for the whole room.
    std::streambuf& source = *in.rdbuf();
    std::streamsize ready = source.in_avail();
    if (ready <= 0) {
        if (source.sgetc() == std::streambuf::traits_type::eof()) {
            ended = true;
            return false;
        }
        ready = source.in_avail();
    }
    const auto room = static_cast<std::streamsize>(block_size - end);
    const std::streamsize count = source.sgetn(block.get() + end, ready > 0 ? std::min(room, ready) : room);
    if (count <= 0) {
        ended = true;
        return false;
    }
    end += static_cast<std::size_t>(count);
    return true;
}

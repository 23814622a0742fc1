#include "varnholt/console/script_reader.h"

#include <cstring>

namespace varnholt {

namespace {
// Large enough that reading costs a few system calls per megabyte; only
// the pages a script fills are ever touched.
constexpr std::size_t block_size = 65536;
constexpr std::size_t max_line_length = line_size - 1;
}

ScriptReader::ScriptReader(std::istream& in) : in(in), block(new char[block_size + 1])
{
}

const char* ScriptReader::next_line()
{
    for (;;) {
        char* const first = block.get() + start;
        const std::size_t available = end - start;
        auto* feed = static_cast<char*>(std::memchr(first, '\n', available));
        if (discarding) {
            discarding = !feed;
            start = feed ? static_cast<std::size_t>(feed - block.get()) + 1 : end;
            if (discarding && !fill())
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
            discarding = feed == nullptr;
            start = feed ? static_cast<std::size_t>(feed - block.get()) + 1 : end;
            return first;
        }
        if (!fill()) {
            if (available == 0)
                return nullptr;
            // The last line, without a line feed: the spare byte takes its zero.
            first[available] = '\0';
            start = end;
            return first;
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
    // readsome takes only what is there already; when nothing is, peek
    // waits for the next byte or the end. A read error also ends the script.
    const std::streamsize room = static_cast<std::streamsize>(block_size - end);
    std::streamsize count = in.readsome(block.get() + end, room);
    if (count == 0 && in.peek() != std::istream::traits_type::eof())
        count = in.readsome(block.get() + end, room);
    if (count <= 0) {
        ended = true;
        return false;
    }
    end += static_cast<std::size_t>(count);
    return true;
}

}  // namespace varnholt

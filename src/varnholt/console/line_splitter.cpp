#include "varnholt/console/line_splitter.h"

#include <cstring>

namespace varnholt {

namespace {
// Large enough that reading costs a few system calls per megabyte; only
// the pages the input fills are ever touched.
constexpr std::size_t block_size = 65536;
constexpr std::size_t max_line_length = line_size - 1;
static_assert(block_size > max_line_length, "a whole line and more fits in the block");
}

LineSplitter::LineSplitter() : block(new char[block_size + 1])
{
}

const char* LineSplitter::next_line()
{
    for (;;) {
        char* const first = block.get() + start;
        const std::size_t available = end - start;
        auto* feed = static_cast<char*>(std::memchr(first, '\n', available));
        const std::size_t length = feed ? static_cast<std::size_t>(feed - first) : available;
        if (discarding) {
            discarding = !feed;
            skipped += length;
            start = feed ? start + length + 1 : end;
            if (discarding)
                return nullptr;
            continue;
        }
        if (feed && length <= max_line_length) {
            *feed = '\0';
            start += length + 1;
            return first;
        }
        if (available > max_line_length) {
            // Its first 1023 characters run; the character the zero takes
            // belongs to the rest, which is dropped.
            first[max_line_length] = '\0';
            discarding = !feed;
            skipped = length - max_line_length;
            start = feed ? start + length + 1 : end;
            return first;
        }
        if (!ended || available == 0)
            return nullptr;
        // The last line, without a line feed: the spare byte takes its zero.
        first[available] = '\0';
        start = end;
        return first;
    }
}

char* LineSplitter::space(std::size_t& room)
{
    if (start > 0) {
        std::memmove(block.get(), block.get() + start, end - start);
        end -= start;
        start = 0;
    }
    room = block_size - end;
    return block.get() + end;
}

}  // namespace varnholt

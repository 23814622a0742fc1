/*
 * How every reader of console lines splits its bytes: scripts (ScriptReader,
 * from a stream) and standard input (LineReader, from a descriptor polled
 * once per frame). The owner brings the bytes and says when they end; the
 * splitter keeps them in one block and hands each line out where it lies,
 * so a line costs a search for its line feed and no copy.
 *
 * A line ends at a line feed, which is not part of it. A line longer than
 * 1023 characters gives its first 1023 and the rest of it is skipped, so it
 * never runs as a line of its own. Once the input has ended, the last line
 * counts without a line feed too (an empty one does not).
 */
#pragma once

#include <cstddef>
#include <memory>

#include "varnholt/base/limits.h"

namespace varnholt {

class LineSplitter {
public:
    LineSplitter();

    // The next line, zero-terminated; valid until the next call of any
    // member. Null when what is held ends inside a line (or nothing is):
    // more bytes are needed, unless the input has ended.
    const char* next_line();
    // Where more bytes go, and how many fit: never none after next_line
    // gave null. The bytes not yet taken move to the front first.
    char* space(std::size_t& room);
    // `count` bytes were put at space().
    void added(std::size_t count) { end += count; }
    void end_input() { ended = true; }
    bool input_ended() const { return ended; }
    // Whether the input has ended and every line has been taken.
    bool finished() const { return ended && start == end; }
    // How much of an over-long line has been skipped so far while its end
    // is still to come; 0 otherwise.
    std::size_t skipping() const { return discarding ? skipped : 0; }

private:
    std::unique_ptr<char[]> block;  // block_size bytes and one for a last zero
    std::size_t start = 0;          // the bytes not yet taken: block[start, end)
    std::size_t end = 0;
    bool ended = false;       // no more bytes will come
    bool discarding = false;  // inside the rest of an over-long line
    std::size_t skipped = 0;  // of that rest so far
};

}  // namespace varnholt

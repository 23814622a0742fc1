/*
 * Reading script files line by line: the format of init.cfg, default.cfg
 * and every file given to exec.
 *
 * The stream is read in large blocks and each line is handed out where it
 * lies in the block, so a line costs a search for its line feed and no
 * copy. A pipe or a device gives what it has at the moment: the lines read
 * so far run without waiting for a whole block.
 */
#pragma once

#include <cstddef>
#include <istream>
#include <memory>

#include "varnholt/base/limits.h"

namespace varnholt {

class ScriptReader {
public:
    // Reads `in`, which must outlive the reader, from where it stands.
    explicit ScriptReader(std::istream& in);

    // The next line, zero-terminated, without its line feed; valid until the
    // next call. A longer line gives its first 1023 characters and the rest
    // of it is skipped, so it never runs as a line of its own. The last line
    // counts even without a line feed. Null once the stream is exhausted (or
    // fails).
    const char* next_line();

private:
    // Moves the unread bytes to the front and reads more behind them; false
    // at the end of the stream.
    bool fill();

    std::istream& in;
    std::unique_ptr<char[]> block;  // block_size bytes and one for a last zero
    std::size_t start = 0;          // the unread bytes: block[start, end)
    std::size_t end = 0;
    bool ended = false;       // the stream has nothing more
    bool discarding = false;  // inside the rest of an over-long line
};

}  // namespace varnholt

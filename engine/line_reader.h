/*
 * Lines from a descriptor, without ever blocking the frame loop.
 *
 * The descriptor is read in blocks only when select() says it is ready, and
 * the block is kept: select() cannot see lines that were read ahead, so
 * every line of a paste or a pipe still comes out, one per call. A line
 * longer than 1023 characters yields its first 1023; the rest of it is
 * dropped. At the end of input the last unterminated line still comes out,
 * and the descriptor is not polled again.
 */
#pragma once

#include <cstddef>
#include <vector>

#include "engine/limits.h"

class LineReader {
public:
    explicit LineReader(int fd) : fd(fd) {}

    // Copies the next waiting line into `line` without its line feed.
    // False when no whole line is waiting yet (or any more).
    bool next_line(char (&line)[line_size]);
    // Whether the input has ended and every line has been taken.
    bool finished() const { return closed && start == pending.size(); }
    // Whether the descriptor can be read without blocking.
    bool descriptor_ready() const;

private:
    bool take_line(char (&line)[line_size]);
    void read_block();

    int fd;
    std::vector<char> pending;  // bytes read and not yet taken, from `start`
    std::size_t start = 0;
    bool closed = false;      // end of input or a read error
    bool discarding = false;  // inside the rest of an over-long line
};

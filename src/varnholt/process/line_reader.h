/*
 * Lines from a descriptor, without ever blocking the frame loop.
 *
 * The descriptor is read in blocks only when poll() says it is ready, and
 * the block is kept: poll() cannot see lines that were read ahead, so every
 * line of a paste or a pipe still comes out, one per call. Lines are split
 * as every console line is (console/line_splitter.h). At the end of input
 * (end of file, a hang-up, a read error, a descriptor that is not open) the
 * last unterminated line still comes out, and the descriptor is not polled
 * again. A readiness check that fails ends the
 * input the same way, and says why through take_poll_error.
 */
#pragma once

#include "varnholt/console/line_splitter.h"
#include "varnholt/base/limits.h"

namespace varnholt {

class LineReader {
public:
    explicit LineReader(int fd) : fd(fd) {}

    // Copies the next waiting line into `line` without its line feed.
    // False when no whole line is waiting yet (or any more).
    bool next_line(char (&line)[line_size]);
    // Whether the input has ended and every line has been taken.
    bool finished() const { return lines.finished(); }
    // Whether the descriptor can be read without blocking (a read may then
    // find the end of the input).
    bool descriptor_ready();
    // The descriptor while it is still polled, else -1: what an idle frame
    // loop waits on.
    int descriptor() const { return lines.input_ended() ? -1 : fd; }
    // Whether the last next_line read from the descriptor: bytes, or the end
    // of the input.
    bool read_input() const { return did_read; }
    // Why a readiness check failed (an errno value), once; 0 otherwise.
    int take_poll_error();

private:
    void read_block();

    int fd;
    LineSplitter lines;     // ended by the end of input, a read error or a failed poll
    bool did_read = false;  // by the last next_line
    int poll_error = 0;     // not yet taken
};

}  // namespace varnholt

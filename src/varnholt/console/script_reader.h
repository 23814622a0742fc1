/*
 * Reading script files line by line: the format of init.cfg, default.cfg
 * and every file given to exec. The lines are split as every console line
 * is (line_splitter.h); the stream is read in large blocks, and what its
 * buffer holds already runs before more is asked for.
 */
#pragma once

#include <istream>

#include "varnholt/console/line_splitter.h"

namespace varnholt {

class ScriptReader {
public:
    // Reads `in`, which must outlive the reader, from where it stands.
    // `stop_requested`, when not null, is asked before each line and while
    // an over-long line is skipped; once it says yes, no line comes out.
    explicit ScriptReader(std::istream& in, bool (*stop_requested)() = nullptr);

    // The next line, zero-terminated, without its line feed; valid until the
    // next call. Null once the stream is exhausted (or fails), a stop was
    // requested, or more than longest_script_line of a line has been read
    // with no end in sight (gave_up_on_line).
    const char* next_line();
    // Whether reading ended on a line too long to skip.
    bool gave_up_on_line() const { return gave_up; }

private:
    // Reads more behind the bytes not yet taken, or ends the input.
    void read_more();

    std::istream& in;
    bool (*stop_requested)();
    LineSplitter lines;
    bool gave_up = false;
};

}  // namespace varnholt

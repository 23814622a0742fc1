#include "varnholt/console/script_reader.h"

#include <algorithm>

namespace varnholt {

ScriptReader::ScriptReader(std::istream& in, bool (*stop_requested)()) : in(in), stop_requested(stop_requested)
{
}

const char* ScriptReader::next_line()
{
    for (;;) {
        if (gave_up || (stop_requested && stop_requested()))
            return nullptr;
        if (const char* line = lines.next_line())
            return line;
        if (lines.input_ended())
            return nullptr;
        // Endless input (a huge file without a line feed) must neither hold
        // a stop request up nor keep the frame waiting for long.
        gave_up = line_size - 1 + lines.skipping() > longest_script_line;
        if (!gave_up)
            read_more();
    }
}

void ScriptReader::read_more()
{
    std::size_t room;
    char* const into = lines.space(room);
    // What the stream buffer holds already, or else what one read gives. A
    // short read is no end: only the end of the stream (or an error) is. A
    // buffer that tells nothing of what it holds is asked for the whole room.
    std::streambuf& source = *in.rdbuf();
    std::streamsize ready = source.in_avail();
    if (ready <= 0 && source.sgetc() == std::streambuf::traits_type::eof()) {
        lines.end_input();
        return;
    }
    if (ready <= 0)
        ready = source.in_avail();
    const auto wanted = static_cast<std::streamsize>(room);
    const std::streamsize count = source.sgetn(into, ready > 0 ? std::min(wanted, ready) : wanted);
    if (count > 0)
        lines.added(static_cast<std::size_t>(count));
    else
        lines.end_input();
}

}  // namespace varnholt

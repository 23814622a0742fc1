#include "varnholt/console/console_stream_buffer.h"

#include <algorithm>
#include <cassert>
#include <cstring>

namespace varnholt {

namespace {
// What stream.write(text, length) does. An ordinary stream (good, untied,
// not unit-buffered) gets the characters straight into its buffer, without
// a sentry per line; any other goes through write itself.
void forward(std::ostream& stream, const char* text, std::streamsize length)
{
    std::streambuf* buffer = stream.rdbuf();
    if (!buffer || !stream.good() || stream.tie() || (stream.flags() & std::ios::unitbuf)) {
        stream.write(text, length);
        return;
    }
    if (buffer->sputn(text, length) != length)
        stream.setstate(std::ios::badbit);
}
}

ConsoleStreamBuffer::~ConsoleStreamBuffer()
{
    delete[] history;
}

void ConsoleStreamBuffer::set_history_size(int new_size)
{
    assert(new_size >= 1);
    delete[] history;
    history = new char[new_size];
    size = new_size;
    count = 0;
    streams.clear();
    next_stream_id = 0;
}

int ConsoleStreamBuffer::add_stream(std::ostream* stream)
{
    const int id = next_stream_id++;
    streams.emplace(id, stream);
    return id;
}

void ConsoleStreamBuffer::remove_stream(int id)
{
    streams.erase(id);
}

void ConsoleStreamBuffer::clear_history()
{
    if (!history)
        return;
    std::memset(history, 0, size);
    count = 0;
}

char ConsoleStreamBuffer::history_at(std::int64_t position) const
{
    return history ? history[position % size] : '\0';
}

ConsoleStreamBuffer::int_type ConsoleStreamBuffer::overflow(int_type c)
{
    if (traits_type::eq_int_type(c, traits_type::eof()) || c == 0)
        return traits_type::eof();
    const char character = traits_type::to_char_type(c);
    xsputn(&character, 1);
    return c;
}

std::streamsize ConsoleStreamBuffer::xsputn(const char* text, std::streamsize length)
{
    // A zero is refused like EOF: the writer sees a short write.
    if (const void* zero = std::memchr(text, 0, static_cast<std::size_t>(length)))
        length = static_cast<const char*>(zero) - text;
    if (!history || length == 0)
        return length;
    store(text, length);
    // Several streams get each character in turn, as they would one
    // character at a time (the same stream may be registered twice).
    if (streams.size() == 1) {
        forward(*streams.begin()->second, text, length);
    } else {
        for (std::streamsize i = 0; i < length; ++i) {
            for (auto& entry : streams)
                entry.second->write(text + i, 1);
        }
    }
    if (sink)
        sink->write(text, length);
    return length;
}

void ConsoleStreamBuffer::store(const char* text, std::streamsize length)
{
    // Only the last size characters can survive in the ring; each lands at
    // its position modulo size, and a zero follows the newest.
    const std::streamsize kept = std::min<std::streamsize>(length, size);
    std::int64_t position = count + (length - kept);
    const char* from = text + (length - kept);
    for (std::streamsize left = kept; left > 0;) {
        const auto slot = static_cast<int>(position % size);
        const auto run = std::min<std::streamsize>(left, size - slot);
        std::memcpy(history + slot, from, static_cast<std::size_t>(run));
        from += run;
        position += run;
        left -= run;
    }
    count += length;
    history[count % size] = '\0';
}

}  // namespace varnholt

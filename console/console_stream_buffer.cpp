#include "console/console_stream_buffer.h"

#include <cassert>
#include <cstring>

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
    if (!history)
        return c;
    const char character = traits_type::to_char_type(c);
    history[count % size] = character;
    ++count;
    history[count % size] = '\0';
    for (auto& entry : streams)
        entry.second->write(&character, 1);
    return c;
}

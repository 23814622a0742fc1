/*
 * The stream buffer behind the console. Every character written to the
 * console is stored in a fixed ring of recent output, the history, and
 * forwarded to each registered output stream in increasing id order.
 *
 * Ring invariants, once set_history_size has allocated it: the character of
 * output position p lives at history[p % size], and the byte after the
 * newest character is always a zero, so the ring holds size - 1 characters.
 * The registered streams are not owned; each flushes by its own rules. The
 * sink, if one is set, sees every character after the streams do; it stays
 * across set_history_size.
 */
#pragma once

#include <cstdint>
#include <map>
#include <ostream>
#include <streambuf>

namespace varnholt {

// Whatever keeps the console's output beyond the streams (the log file).
class ConsoleSink {
public:
    virtual ~ConsoleSink() = default;
    // `length` characters just written, never a zero among them.
    virtual void write(const char* text, std::streamsize length) = 0;
};

class ConsoleStreamBuffer : public std::streambuf {
public:
    ConsoleStreamBuffer() = default;
    ~ConsoleStreamBuffer() override;
    ConsoleStreamBuffer(const ConsoleStreamBuffer&) = delete;
    ConsoleStreamBuffer& operator=(const ConsoleStreamBuffer&) = delete;

    // Allocates a fresh ring of `size` bytes (at least 1), resets the count
    // and drops every registered stream.
    void set_history_size(int size);
    // Registers `stream`; ids count up from 0 and are not reused until the
    // next set_history_size.
    int add_stream(std::ostream* stream);
    void remove_stream(int id);
    // The one sink (not owned), or null for none.
    void set_sink(ConsoleSink* new_sink) { sink = new_sink; }
    // Zero-fills the ring and resets the count; streams are untouched.
    void clear_history();
    // The character of output position `position` (not negative), or a zero
    // when there is no ring.
    char history_at(std::int64_t position) const;

    // Characters stored since the ring was allocated or last cleared. 64 bits
    // wide, so it cannot overflow however long the engine runs.
    std::int64_t history_count() const { return count; }
    int history_size() const { return size; }
    bool has_history() const { return history != nullptr; }

protected:
    // Stores and forwards one character; a zero or EOF is refused.
    int_type overflow(int_type c) override;
    // Stores and forwards a whole string exactly as one character at a time
    // would, but with one write per stream; stops before a zero.
    std::streamsize xsputn(const char* text, std::streamsize count) override;

private:
    void store(const char* text, std::streamsize count);

    char* history = nullptr;  // the ring, owned
    int size = 0;
    std::int64_t count = 0;
    std::map<int, std::ostream*> streams;
    int next_stream_id = 0;
    ConsoleSink* sink = nullptr;
};

}  // namespace varnholt

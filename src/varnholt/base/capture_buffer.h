/*
 * The one stream buffer that collects what is written to it in a string:
 * the value a "$name" word stands for, a remote command's output, the
 * terminal's pending output. It keeps the first `limit` characters and
 * drops the rest, yet reports every write as whole, so that a writer that
 * prints without end costs bounded memory and never sees a failure.
 */
#pragma once

#include <algorithm>
#include <cstddef>
#include <streambuf>
#include <string>

namespace varnholt {

class CaptureBuffer : public std::streambuf {
public:
    static constexpr std::size_t no_limit = std::string::npos;

    explicit CaptureBuffer(std::size_t limit = no_limit) : limit(limit) {}

    const std::string& text() const { return captured; }
    // Empties the text; its memory is kept for the next use.
    void clear() { captured.clear(); }
    // Empties the text and gives its memory back.
    void release() { std::string().swap(captured); }

protected:
    int_type overflow(int_type c) override
    {
        if (!traits_type::eq_int_type(c, traits_type::eof())) {
            const char character = traits_type::to_char_type(c);
            xsputn(&character, 1);
        }
        return traits_type::not_eof(c);
    }
    std::streamsize xsputn(const char* text, std::streamsize count) override
    {
        const std::size_t room = limit - std::min(limit, captured.size());
        captured.append(text, std::min(room, static_cast<std::size_t>(count)));
        return count;
    }

    std::string captured;

private:
    std::size_t limit;
};

}  // namespace varnholt

/*
 * The one stream buffer that collects what is written to it: the value a
 * "$name" word stands for, a remote command's output, the terminal's
 * pending output. It keeps the first `limit` characters and drops the rest,
 * yet reports every write as whole, so that a writer that prints without
 * end costs bounded memory and never sees a failure. Characters go straight
 * into the stream's put area: the buffer's own memory, which grows (by
 * doubling, up to the limit) only when full, so a capture reused after
 * clear() allocates nothing; or a caller's array of fixed size.
 */
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <streambuf>
#include <string_view>
#include <vector>

namespace varnholt {

class CaptureBuffer : public std::streambuf {
public:
    static constexpr std::size_t no_limit = static_cast<std::size_t>(-1);

    explicit CaptureBuffer(std::size_t limit = no_limit) : limit(limit) {}
    CaptureBuffer(const CaptureBuffer&) = delete;
    CaptureBuffer& operator=(const CaptureBuffer&) = delete;

    // What was kept; valid until the next write, clear() or release().
    std::string_view text() const { return {pbase(), static_cast<std::size_t>(pptr() - pbase())}; }
    // Empties the text; its memory is kept for the next use.
    void clear()
    {
        external = false;
        setp(storage.data(), storage.data() + storage.size());
    }
    // Empties the text and captures into the `size` bytes at `destination`
    // instead, until the next clear(); nothing beyond them is kept.
    void capture_into(char* destination, std::size_t size)
    {
        external = true;
        setp(destination, destination + size);
    }
    // Empties the text and gives its memory back.
    void release()
    {
        std::vector<char>().swap(storage);
        clear();
    }
    std::size_t capacity() const { return storage.size(); }

protected:
    int_type overflow(int_type c) override
    {
        if (!traits_type::eq_int_type(c, traits_type::eof()) && grow()) {
            *pptr() = traits_type::to_char_type(c);
            pbump(1);
        }
        return traits_type::not_eof(c);
    }
    std::streamsize xsputn(const char* text, std::streamsize count) override
    {
        for (std::streamsize left = count; left > 0;) {
            if (pptr() == epptr() && !grow())
                break;
            const std::streamsize run = std::min<std::streamsize>(left, epptr() - pptr());
            std::memcpy(pptr(), text, static_cast<std::size_t>(run));
            pbump(static_cast<int>(run));
            text += run;
            left -= run;
        }
        return count;
    }

private:
    // Doubles the put area, keeping what it holds; false at the limit.
    bool grow()
    {
        const std::size_t used = static_cast<std::size_t>(pptr() - pbase());
        if (external || used >= limit)
            return false;
        storage.resize(std::min(limit, std::max<std::size_t>(256, storage.size() * 2)));
        setp(storage.data(), storage.data() + storage.size());
        pbump(static_cast<int>(used));
        return true;
    }

    std::vector<char> storage;
    std::size_t limit;
    bool external = false;  // capturing into a caller's array
};

}  // namespace varnholt

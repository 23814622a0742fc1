#include "varnholt/tokenizer/buffered_tokenizer.h"

#include <cstring>

#include "varnholt/base/copy_string.h"

namespace varnholt {

BufferedTokenizer::BufferedTokenizer(const char* source)
    : text(copy_string(source)), cursor(text), end(text + std::strlen(text))
{
    buffer[0] = '\0';
}

BufferedTokenizer::~BufferedTokenizer()
{
    delete[] text;
}

void BufferedTokenizer::rewind()
{
    set_error(0, nullptr);
    cursor = text;
    end = text + std::strlen(text);
    line = 0;
}

void BufferedTokenizer::set_token(const char* source)
{
    std::strncpy(buffer, source, max_token_length);
    buffer[max_token_length] = '\0';
}

const char* BufferedTokenizer::next_token()
{
    // The end is tested first, so every call there records "done" again.
    if (cursor == end) {
        buffer[0] = '\0';
        set_error(line, "done");
        return nullptr;
    }
    return has_error() ? nullptr : scan_token();
}

void BufferedTokenizer::skip_whitespace()
{
    while (cursor != end && is_space(*cursor))
        ++cursor;
}

void BufferedTokenizer::skip_block_comment()
{
    for (const char* p = cursor; p + 1 < end; ++p) {
        if (p[0] == '*' && p[1] == '/') {
            cursor = p + 2;
            return;
        }
    }
    cursor = end;
}

const char* BufferedTokenizer::scan_string()
{
    int length = 0;
    for (; cursor != end; ++cursor) {
        if (*cursor == '"' && cursor[-1] != '\\') {
            ++cursor;
            buffer[length] = '\0';
            return buffer;
        }
        if (length == max_token_length)
            return too_long("String exceeds 1024 byte limit");
        buffer[length++] = *cursor;
    }
    buffer[length] = '\0';
    return nullptr;
}

const char* BufferedTokenizer::too_long(const char* message)
{
    buffer[max_token_length] = '\0';
    set_error(line, message);
    return nullptr;
}

}  // namespace varnholt

#include "varnholt/tokenizer/simple_tokenizer.h"

#include <algorithm>
#include <cstring>

#include "varnholt/tokenizer/console_scanner.h"

namespace varnholt {

static_assert(max_console_token_length == BufferedTokenizer::max_token_length,
              "console tokens fit the token buffer");

const char* SimpleTokenizer::scan_token()
{
    TokenSpan found {};
    const ConsoleScan result = scan_console_token(cursor, end, found);
    // The buffer shows what the scan reached even when it yields nothing:
    // the first 1023 characters of a token over the limit, the content of an
    // unclosed string.
    if (found.begin) {
        const std::size_t kept = std::min(found.length, max_console_token_length);
        std::memcpy(buffer, found.begin, kept);
        buffer[kept] = '\0';
    }
    switch (result) {
    case ConsoleScan::token:
        return buffer;
    case ConsoleScan::token_too_long:
        set_error(line, "Token exceedes 1024 byte limit");
        return nullptr;
    case ConsoleScan::string_too_long:
        set_error(line, "String exceeds 1024 byte limit");
        return nullptr;
    case ConsoleScan::end:
        break;
    }
    return nullptr;
}

}  // namespace varnholt

#include "varnholt/tokenizer/console_scanner.h"

#include <array>
#include <cstring>

namespace varnholt {

namespace {
// One flag per byte, built at compile time: a table look-up per character
// instead of a chain of comparisons.
enum CharClass : unsigned char {
    space = 1,      // the C locale's white space
    plain_end = 2,  // may end a plain token: white space, '"', '/', the zero
};

constexpr std::array<unsigned char, 256> make_classes()
{
    std::array<unsigned char, 256> classes {};
    for (const unsigned char c : {' ', '\t', '\n', '\v', '\f', '\r'})
        classes[c] = space | plain_end;
    for (const unsigned char c : {'"', '/', '\0'})
        classes[c] = plain_end;
    return classes;
}

constexpr std::array<unsigned char, 256> classes = make_classes();

bool has_class(char c, CharClass wanted)
{
    return (classes[static_cast<unsigned char>(c)] & wanted) != 0;
}

// Past the line feed that ends a "//" comment starting at `p`, or `end`.
const char* skip_line_comment(const char* p, const char* end)
{
    const void* feed = std::memchr(p, '\n', static_cast<std::size_t>(end - p));
    return feed ? static_cast<const char*>(feed) + 1 : end;
}

// Past the "*/" that closes a block comment whose "/*" starts at `p`, or
// `end`. The asterisk of the opening may begin the closing.
const char* skip_block_comment(const char* p, const char* end)
{
    for (const char* star = p + 1;; ++star) {
        star = static_cast<const char*>(std::memchr(star, '*', static_cast<std::size_t>(end - star)));
        if (!star)
            return end;
        // The zero at `end` stands in for "no slash follows".
        if (star[1] == '/')
            return star + 2;
    }
}

// The closing quote of a string whose content starts at `content`, or null.
// A quote after a backslash does not close; the opening quote stands before
// the content, so an empty string closes at once.
const char* closing_quote(const char* content, const char* end)
{
    for (const char* quote = content;; ++quote) {
        quote = static_cast<const char*>(std::memchr(quote, '"', static_cast<std::size_t>(end - quote)));
        if (!quote || quote[-1] != '\\')
            return quote;
    }
}

// The end of a plain token starting at `p`: white space, a quote, "//" or
// the zero at the end of the text.
const char* plain_token_end(const char* p)
{
    for (;;) {
        while (!has_class(*p, plain_end))
            ++p;
        if (*p != '/' || p[1] == '/')
            return p;
        ++p;  // a single slash belongs to the token
    }
}

// The one scan behind both entry points, inlined into each.
inline ConsoleScan scan(const char*& cursor, const char* end, TokenSpan& found)
{
    found = TokenSpan {nullptr, 0};
    const char* p = cursor;
    for (;;) {
        // The zero at `end` is not white space, so this stops there.
        while (has_class(*p, space))
            ++p;
        if (p == end) {
            cursor = end;
            return ConsoleScan::end;
        }
        if (p[0] == '/' && p[1] == '/') {
            p = skip_line_comment(p, end);
            continue;
        }
        if (p[0] == '/' && p[1] == '*') {
            p = skip_block_comment(p, end);
            continue;
        }
        break;
    }

    if (*p == '"') {
        const char* const content = p + 1;
        const char* const quote = closing_quote(content, end);
        found.begin = content;
        found.length = static_cast<std::size_t>((quote ? quote : end) - content);
        if (found.length > max_console_token_length) {
            cursor = content + max_console_token_length;
            return ConsoleScan::string_too_long;
        }
        if (!quote) {
            cursor = end;
            return ConsoleScan::end;
        }
        cursor = quote + 1;
        return ConsoleScan::token;
    }

    const char* const token_end = plain_token_end(p);
    found.begin = p;
    found.length = static_cast<std::size_t>(token_end - p);
    if (found.length > max_console_token_length) {
        cursor = p + max_console_token_length;
        return ConsoleScan::token_too_long;
    }
    cursor = token_end;
    return ConsoleScan::token;
}
}

ConsoleScan scan_console_token(const char*& cursor, const char* end, TokenSpan& found)
{
    return scan(cursor, end, found);
}

std::size_t scan_console_tokens(const char*& cursor, const char* end, TokenSpan* tokens, std::size_t capacity)
{
    std::size_t count = 0;
    while (count < capacity && scan(cursor, end, tokens[count]) == ConsoleScan::token)
        ++count;
    return count;
}

}  // namespace varnholt

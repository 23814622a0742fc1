#include "varnholt/net/display_text.h"

namespace varnholt {

namespace {
void append_escaped(std::string& text, unsigned char byte)
{
    static const char hex_digits[] = "0123456789abcdef";
    text += "\\x";
    text += hex_digits[byte >> 4];
    text += hex_digits[byte & 0xf];
}

bool is_continuation(unsigned char byte)
{
    return (byte & 0xc0) == 0x80;
}

// The length of the well-formed UTF-8 sequence at `p` (at most `left`
// bytes), or 0 when there is none. Overlong forms, surrogates and code
// points past U+10FFFF are not well-formed.
std::size_t sequence_length(const unsigned char* p, std::size_t left)
{
    const unsigned char lead = p[0];
    std::size_t length;
    unsigned char low = 0x80, high = 0xbf;  // the range of the second byte
    if (lead >= 0xc2 && lead <= 0xdf) {
        length = 2;
    } else if (lead >= 0xe0 && lead <= 0xef) {
        length = 3;
        if (lead == 0xe0)
            low = 0xa0;
        else if (lead == 0xed)
            high = 0x9f;
    } else if (lead >= 0xf0 && lead <= 0xf4) {
        length = 4;
        if (lead == 0xf0)
            low = 0x90;
        else if (lead == 0xf4)
            high = 0x8f;
    } else {
        return 0;
    }
    if (left < length || p[1] < low || p[1] > high)
        return 0;
    for (std::size_t i = 2; i < length; ++i) {
        if (!is_continuation(p[i]))
            return 0;
    }
    return length;
}

// The code point of the well-formed three-byte sequence at `p`.
unsigned three_byte_code_point(const unsigned char* p)
{
    return (p[0] & 0x0fu) << 12 | (p[1] & 0x3fu) << 6 | (p[2] & 0x3fu);
}

// Characters that print nothing of their own but hide or reorder the text
// around them, or break the line where the engine's report has none: the
// zero-width characters, the line and paragraph separators and the
// bidirectional embeddings, overrides and isolates.
bool is_invisible_format(unsigned code_point)
{
    return (code_point >= 0x200b && code_point <= 0x200f) || (code_point >= 0x2028 && code_point <= 0x202e)
           || code_point == 0x2060 || (code_point >= 0x2066 && code_point <= 0x2069) || code_point == 0xfeff;
}

void append_code_point(std::string& text, unsigned code_point)
{
    static const char hex_digits[] = "0123456789ABCDEF";
    text += "\\u{";
    for (int shift = 12; shift >= 0; shift -= 4)
        text += hex_digits[(code_point >> shift) & 0xf];
    text += '}';
}
}

std::string display_text(const char* bytes, std::size_t size)
{
    const auto* p = reinterpret_cast<const unsigned char*>(bytes);
    std::string text;
    for (std::size_t i = 0; i < size && p[i] != 0;) {
        const unsigned char byte = p[i];
        if (byte < 0x80) {
            if (byte < 0x20 || byte == 0x7f)
                append_escaped(text, byte);
            else
                text += static_cast<char>(byte);
            ++i;
            continue;
        }
        const std::size_t length = sequence_length(p + i, size - i);
        // U+0080 to U+009F, the C1 controls, are C2 80 to C2 9F.
        const bool c1_control = length == 2 && byte == 0xc2 && p[i + 1] <= 0x9f;
        if (length == 3 && is_invisible_format(three_byte_code_point(p + i))) {
            append_code_point(text, three_byte_code_point(p + i));
            i += length;
        } else if (length == 0 || c1_control) {
            const std::size_t escaped = c1_control ? 2 : 1;
            for (std::size_t k = 0; k < escaped; ++k)
                append_escaped(text, p[i + k]);
            i += escaped;
        } else {
            text.append(bytes + i, length);
            i += length;
        }
    }
    return text;
}

}  // namespace varnholt

#include "tokenizer/simple_tokenizer.h"

namespace {
bool starts_line_comment(const char* p, const char* end)
{
    return p + 1 < end && p[0] == '/' && p[1] == '/';
}
}

const char* SimpleTokenizer::scan_token()
{
    for (;;) {
        skip_whitespace();
        if (cursor == end)
            return nullptr;
        if (starts_line_comment(cursor, end)) {
            // Through the newline; a text of several lines goes on with the
            // next line's tokens.
            while (cursor != end && *cursor++ != '\n') {
            }
            continue;
        }
        if (cursor + 1 < end && cursor[0] == '/' && cursor[1] == '*') {
            skip_block_comment();
            continue;
        }
        if (*cursor == '"') {
            ++cursor;
            return scan_string();
        }
        const char* const text_end = end;
        return scan_plain([text_end](const char* p) {
            return is_space(*p) || *p == '"' || starts_line_comment(p, text_end);
        });
    }
}

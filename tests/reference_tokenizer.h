/*
 * Test helper: the console-line tokenizer as it was before it scanned in
 * one pass, kept as the reference that the differential test and the
 * tokenizer fuzz target compare SimpleTokenizer with. A character-by-
 * character scan on the shared BufferedTokenizer machinery, copying every
 * token into the 1024-byte buffer. Not used by the engine.
 */
#pragma once

#include "varnholt/tokenizer/buffered_tokenizer.h"

class ReferenceTokenizer : public varnholt::BufferedTokenizer {
public:
    explicit ReferenceTokenizer(const char* text) : BufferedTokenizer(text) {}

protected:
    const char* scan_token() override
    {
        for (;;) {
            skip_whitespace();
            if (cursor == end)
                return nullptr;
            if (starts_line_comment(cursor, end)) {
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

private:
    static bool starts_line_comment(const char* p, const char* end) { return p + 1 < end && p[0] == '/' && p[1] == '/'; }
};

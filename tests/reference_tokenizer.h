/*
 * Test helper: the console-line tokenizer as it was before it scanned in
 * one pass, kept unchanged as the reference that the differential test and
 * the tokenizer fuzz target compare SimpleTokenizer with. A character-by-
 * character scan over a private copy of the text, copying every token into
 * the 1024-byte buffer. Not used by the engine.
 */
#pragma once

#include <cstring>
#include <string>

#include "tokenizer/tokenizer.h"

class ReferenceTokenizer : public Tokenizer {
public:
    explicit ReferenceTokenizer(const char* source) : text(source), cursor(text.c_str()), end(cursor + text.size())
    {
        buffer[0] = '\0';
    }

    void rewind() override
    {
        set_error(0, nullptr);
        cursor = text.c_str();
        end = cursor + std::strlen(cursor);
        line = 0;
    }
    const char* next_token() override
    {
        if (cursor == end) {
            buffer[0] = '\0';
            set_error(line, "done");
            return nullptr;
        }
        return has_error() ? nullptr : scan_token();
    }
    char* token() override { return buffer; }
    void set_token(const char* source) override
    {
        std::strncpy(buffer, source, max_token_length);
        buffer[max_token_length] = '\0';
    }

private:
    static constexpr int max_token_length = 1023;

    static bool is_space(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
    bool starts_line_comment(const char* p) const { return p + 1 < end && p[0] == '/' && p[1] == '/'; }

    const char* scan_token()
    {
        for (;;) {
            while (cursor != end && is_space(*cursor))
                ++cursor;
            if (cursor == end)
                return nullptr;
            if (starts_line_comment(cursor)) {
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
            return scan_plain();
        }
    }

    void skip_block_comment()
    {
        for (const char* p = cursor; p + 1 < end; ++p) {
            if (p[0] == '*' && p[1] == '/') {
                cursor = p + 2;
                return;
            }
        }
        cursor = end;
    }

    const char* scan_string()
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

    const char* scan_plain()
    {
        int length = 0;
        while (cursor != end && !is_space(*cursor) && *cursor != '"' && !starts_line_comment(cursor)) {
            if (length == max_token_length)
                return too_long("Token exceedes 1024 byte limit");
            buffer[length++] = *cursor++;
        }
        buffer[length] = '\0';
        return length ? buffer : nullptr;
    }

    const char* too_long(const char* message)
    {
        buffer[max_token_length] = '\0';
        set_error(line, message);
        return nullptr;
    }

    int line = 0;
    char buffer[max_token_length + 1];
    std::string text;
    const char* cursor;
    const char* end;
};

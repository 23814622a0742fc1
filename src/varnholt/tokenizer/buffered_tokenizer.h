/*
 * What every tokenizer of the system shares: a private copy of the text, a
 * scan cursor, the 1024-byte token buffer (1023 characters and the zero),
 * and the scanning of white space, quoted strings and block comments. The
 * kinds of tokenizer differ only in their token rules (next_token).
 *
 * The text is copied once at construction and never written; tokens are
 * built in the buffer, so scanning allocates nothing but error messages.
 */
#pragma once

#include "varnholt/base/limits.h"
#include "varnholt/base/white_space.h"
#include "varnholt/tokenizer/tokenizer.h"

namespace varnholt {

class BufferedTokenizer : public Tokenizer {
public:
    static constexpr int buffer_size = line_size;
    static constexpr int max_token_length = buffer_size - 1;

    ~BufferedTokenizer() override;

    void rewind() override;
    // At the end of the text records "done"; after an error yields nothing
    // until rewind; otherwise the next token by the kind's own rules.
    const char* next_token() final;
    char* token() override { return buffer; }
    void set_token(const char* text) override;

protected:
    // `text` must not be null.
    explicit BufferedTokenizer(const char* text);

    // The kind's token rules, from a cursor inside the text: the next token,
    // or null when the rest is white space and comments or on an error.
    virtual const char* scan_token() = 0;

    static bool is_space(char c) { return is_c_space(c); }

    void skip_whitespace();
    // With the cursor on the "/" of "/*": skips to just past the next "*/",
    // searched from that "/" on (so "/*/" is a whole comment), or to the end.
    void skip_block_comment();
    // With the cursor just past an opening quote: the string's content as
    // the token, or null when the text ends first or the string is too long.
    // A quote preceded by a backslash does not close the string.
    const char* scan_string();
    // Copies characters until the end of the text or one for which
    // `ends_token(position)` holds. Null for an empty or too long token.
    template <typename EndsToken>
    const char* scan_plain(EndsToken ends_token)
    {
        int length = 0;
        while (cursor != end && !ends_token(cursor)) {
            if (length == max_token_length)
                return too_long("Token exceedes 1024 byte limit");
            buffer[length++] = *cursor++;
        }
        buffer[length] = '\0';
        return length ? buffer : nullptr;
    }

    int line = 0;  // the number in front of every error message; always 0
    char buffer[buffer_size];  // holds a zero-terminated token from construction on
    char* text;          // owned, array-allocated
    const char* cursor;  // scan position, text <= cursor <= end
    const char* end;     // the terminating zero of text

private:
    const char* too_long(const char* message);
};

}  // namespace varnholt

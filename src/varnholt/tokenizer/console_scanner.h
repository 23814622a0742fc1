/*
 * The token rules of console lines, on the text where it lies: each token is
 * reported as a place in the text and a length, never copied. SimpleTokenizer
 * copies what it finds into its buffer; the argument list reads the line
 * through this directly, in one pass.
 *
 * A token is a run of characters up to white space, a double quote or "//",
 * or the content of a double-quoted string (possibly empty). A quote after a
 * backslash does not close a string. "//" comments run through the next line
 * feed. Block comments are skipped where a token could begin; the search for
 * their end starts at the opening slash, so slash, asterisk, slash is a whole
 * comment.
 */
#pragma once

#include <cstddef>

#include "varnholt/base/limits.h"

namespace varnholt {

// The longest token or string content, without its terminating zero.
constexpr std::size_t max_console_token_length = line_size - 1;

enum class ConsoleScan {
    token,            // a token: `found` holds it
    end,              // white space and comments to the end, or an unclosed string
    token_too_long,   // a plain token over the limit
    string_too_long,  // a quoted string over the limit
};

// Left uninitialised by default: lines keep arrays of them.
struct TokenSpan {
    const char* begin;
    std::size_t length;
};

// Scans from `cursor` in a text that ends at `end`, where a zero byte must
// stand, with no zero byte before it. Moves `cursor` past what it consumed;
// on a limit error it stays inside the token, 1023 characters in.
// `found` is the token, the token over the limit, or, for an unclosed string,
// its content; it is empty (null begin) when the scan ends otherwise.
ConsoleScan scan_console_token(const char*& cursor, const char* end, TokenSpan& found);
// The tokens from `cursor` on, into `tokens`, as scan_console_token would
// give them one by one, up to `capacity` of them; how many. Fewer than
// `capacity` means the scan has ended (at the end or at a token over the
// limit).
std::size_t scan_console_tokens(const char*& cursor, const char* end, TokenSpan* tokens, std::size_t capacity);

}  // namespace varnholt

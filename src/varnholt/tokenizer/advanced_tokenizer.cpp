#include "varnholt/tokenizer/advanced_tokenizer.h"

#include <cstring>

namespace varnholt {

namespace {
// Compared in this order. ">>=" and "<<=" are deliberately absent: operators
// are recognised two characters at a time, so "a>>=b" gives a, >>, = and b.
constexpr const char* operators[] = {
    "+=", "-=", "*=", "/=", "%=", "&=", "^=", "|=", ">>",
    "<<", "++", "--", "&&", "||", "<=", ">=", "==", "!=",
    nullptr,
};

constexpr char punctuation[] = ";{},:=()[].&!~-+*/%<>^|?";
static_assert(sizeof(punctuation) - 1 == 24, "the punctuation set has 24 characters");

constexpr bool in_punctuation(char c)
{
    for (const char* p = punctuation; *p; ++p) {
        if (*p == c)
            return true;
    }
    return false;
}

constexpr bool operators_begin_with_punctuation()
{
    for (const char* const* op = operators; *op; ++op) {
        if (!in_punctuation((*op)[0]))
            return false;
    }
    return true;
}
// A plain token therefore ends at an operator without testing for one.
static_assert(operators_begin_with_punctuation(), "every operator begins with punctuation");

// `second` may be the text's terminating zero: the one-character candidate
// then matches no entry.
bool is_operator(char first, char second)
{
    const char candidate[3] = {first, second, '\0'};
    for (const char* const* op = operators; *op; ++op) {
        if (std::strcmp(candidate, *op) == 0)
            return true;
    }
    return false;
}

bool is_punctuation(char c)
{
    return c != '\0' && in_punctuation(c);
}
}

const char* AdvancedTokenizer::scan_token()
{
    // While cursor < end, cursor[1] is at worst the terminating zero.
    for (;;) {
        skip_whitespace();
        if (cursor == end)
            return nullptr;
        if (cursor[0] == '/' && cursor[1] == '/') {
            cursor = end;
            return nullptr;
        }
        if (cursor[0] == '/' && cursor[1] == '*') {
            skip_block_comment();
            continue;
        }
        if (*cursor == '"') {
            ++cursor;
            return scan_string();
        }
        if (is_operator(cursor[0], cursor[1])) {
            buffer[0] = *cursor++;
            buffer[1] = *cursor++;
            buffer[2] = '\0';
            return buffer;
        }
        if (is_punctuation(*cursor)) {
            buffer[0] = *cursor++;
            buffer[1] = '\0';
            return buffer;
        }
        // "//" and every operator begin with punctuation, so these three
        // tests end the token at each of them too.
        return scan_plain([](const char* p) {
            return is_space(*p) || is_punctuation(*p) || *p == '"';
        });
    }
}

}  // namespace varnholt

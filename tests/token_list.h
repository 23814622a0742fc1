/*
 * Test helper: the tokens a tokenizer yields, up to its first null.
 */
#pragma once

#include <string>
#include <vector>

#include "varnholt/tokenizer/tokenizer.h"

using Tokens = std::vector<std::string>;

inline Tokens tokens_of(varnholt::Tokenizer& tokenizer)
{
    Tokens tokens;
    while (const char* token = tokenizer.next_token())
        tokens.emplace_back(token);
    return tokens;
}

// The tokens of `text` by a fresh tokenizer of kind T.
template <typename T>
Tokens tokens_of_text(const char* text)
{
    T tokenizer(text);
    return tokens_of(tokenizer);
}

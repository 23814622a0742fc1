/*
 * The C locale's white space, without a locale lookup per character: what
 * separates words, for the tokenizers and for the values parsed from them.
 */
#pragma once

namespace varnholt {

inline bool is_c_space(char c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

}  // namespace varnholt

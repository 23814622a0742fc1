/*
 * The one string copy of the system. Every owned C string (names, argument
 * words, tokenizer texts, packet addresses) is made here and released by its
 * owner with delete[].
 */
#pragma once

namespace varnholt {

// A new array holding `text` and its terminating zero; null gives null.
char* copy_string(const char* text);

}  // namespace varnholt

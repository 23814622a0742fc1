/*
 * The byte limit that several layers share. It counts the terminating zero.
 */
#pragma once

namespace varnholt {

// A line of console text and any token of it: a typed line, a line of a
// script, a token in a tokenizer's buffer. 1023 characters and the zero; a
// longer line keeps its first 1023 characters.
constexpr int line_size = 1024;

}  // namespace varnholt

/*
 * The byte limits that several layers share.
 */
#pragma once

#include <cstddef>

// A line of console text and any token of it: a typed line, a line of a
// script, a token in a tokenizer's buffer. 1023 characters and the zero; a
// longer line keeps its first 1023 characters.
constexpr int line_size = 1024;

// The longest script line that is read through (its first 1023 characters
// run, the rest is skipped); a longer one ends its script. No script holds
// such a line, and an endless one (a huge file without a line feed) must
// not hold the engine up: skipping this much takes milliseconds.
constexpr std::size_t longest_script_line = std::size_t(4) << 20;

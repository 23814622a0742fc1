/*
 * The byte limit that several layers share. It counts the terminating zero.
 */
#pragma once

// A line of console text and any token of it: a typed line, a line of a
// script, a token in a tokenizer's buffer. 1023 characters and the zero; a
// longer line keeps its first 1023 characters.
constexpr int line_size = 1024;

// The most of a pack entry that one open stream holds at a time. An entry
// no longer than this is checked whole (its CRC) before any of it is given
// out, so a damaged script runs none of its lines; a longer one streams,
// and its last this many bytes are held back until the check.
constexpr int pack_chunk_size = 256 * 1024;

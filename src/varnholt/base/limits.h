/*
 * Every limit of the engine, each with the reason for its value. A size
 * counts the terminating zero where it says so. The layers name these
 * constants instead of numbers of their own; the remote console's wire
 * limits stay beside its datagram layout (net/rcon_protocol.h), which
 * derives them from this file's.
 */
#pragma once

#include <cstddef>

namespace varnholt {

// A line of console text and any token of it: a typed line, a line of a
// script, a token in a tokenizer's buffer. 1023 characters and the zero; a
// longer line keeps its first 1023 characters. Scripts written by older
// engines rely on it, and it bounds the work one line can cause.
constexpr int line_size = 1024;

// The longest script line that is read through (its first 1023 characters
// run, the rest is skipped); a longer one ends its script. No script holds
// such a line, and an endless one (a huge file without a line feed) must
// not hold the engine up: skipping this much takes milliseconds.
constexpr std::size_t longest_script_line = std::size_t(4) << 20;

// The most of a pack entry that one open stream holds at a time. An entry
// no longer than this is checked whole (its CRC) before any of it is given
// out, so a damaged script runs none of its lines; a longer one streams,
// and its last this many bytes are held back until the check.
constexpr int pack_chunk_size = 256 * 1024;

// The value a "$name" word stands for: the first line of the variable's
// value, 255 characters and the zero. Every "$" of a line gets such a slot
// in the line's own storage, so a line full of them stays bounded.
constexpr std::size_t substituted_value_size = 256;

// Lines may run lines (exec, eval) this deep; a line beyond it is refused
// with a message instead of exhausting the stack.
constexpr int max_command_nesting = 64;

// The console's history: the most recent output, kept for `clear` to
// empty and for the tests to read. Bytes, the zero after the newest
// character included.
constexpr int console_history_size = 16384;

// Typed lines kept in the terminal's history across restarts: enough to
// recall a session's work, small enough to load at every start.
constexpr int terminal_history_lines = 500;

// Keys handed to line editing in one frame: a long paste spreads over
// several frames, so the socket and the host keep their turn.
constexpr int terminal_keys_per_frame = 4096;

// A remote console datagram: with its headers below the 1280 bytes every
// IPv6 path carries, so that no datagram is fragmented on the way.
constexpr std::size_t remote_datagram_size = 1200;

// Answer datagrams to one remote command: its output beyond this is cut,
// so that one command cannot make the server send without end.
constexpr int remote_output_datagrams = 16;

// A remote command: one console line.
constexpr std::size_t remote_command_length = line_size - 1;

// The remote console server's tables, bounded so that a flood from many
// addresses cannot grow its memory: the addresses whose failures it
// counts, and the cookies it has issued and not yet seen expire.
constexpr std::size_t remote_tracked_addresses = 256;
constexpr std::size_t remote_live_cookies = 64;
// Failed datagrams from one address before it is ignored for a while: a
// guess at the key costs a guesser that many tries a minute.
constexpr int remote_failures_before_ignoring = 5;

// A status answer to a proven address: one datagram that no path
// fragments, as the remote console's.
constexpr std::size_t status_reply_size = remote_datagram_size;
// Status queries answered, per second: from one address (a browser's two
// steps, twice over), and in all (so that the answers to a flood from many
// addresses stay a few hundred kilobytes a second). The addresses counted
// at once: a fixed table, whatever the number of senders.
constexpr int status_queries_per_address = 4;
constexpr int status_queries_per_second = 256;
constexpr std::size_t status_tracked_addresses = 1024;
// Status queries the frame loop takes in one frame (other datagrams: one).
// Each costs microseconds; a frame costs a few system calls more, so a
// flood drains several times faster this way than one to a frame.
constexpr int status_queries_per_frame = 64;

}  // namespace varnholt

/*
 * The network layer: one UDP socket that the user opens from the console
 * with n_open, n_send to send a line of text as one datagram, and a frame
 * step that reports the datagrams that arrive, one per frame.
 *
 * n_send's datagram is the text and one zero byte, and a received datagram
 * may hold anything. The remote console (net/rcon.h) and the status query
 * (net/status.h) have protocols; their datagrams begin with prefixes that no
 * n_send datagram begins with.
 */
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "varnholt/net/socket.h"

namespace varnholt {

// The socket of the last n_open that opened one, owned by this layer; null
// before the first n_open. An n_open that fails replaces only a socket that
// is not open (one whose own opening failed), so an open socket stays in use
// until another opens; only the process exit releases the last.
extern std::unique_ptr<Socket> net_socket;

// Reads a port as strtol does (leading blanks and a sign, digits up to the
// first other character, no digits at all giving 0), but refuses a number
// outside 0 to 65535 instead of letting it wrap into range.
bool parse_port(const char* text, int& port);

// What the clients of the remote console and the status query share. Each
// prints its one line when it fails: whether a socket is open to send on;
// a host and port given as text, resolved; a request still waiting for
// `address` and `port`; a server silent for `seconds`.
bool net_socket_required();
bool net_parse_peer(const char* host, const char* port_text, std::uint32_t& address, int& port);
void net_report_waiting(std::uint32_t address, int port);
void net_report_silence(std::uint32_t address, int port, long long seconds);
// One datagram to an IPv4 address (network order) and port on the open
// socket; false without one, or when the send fails.
bool net_send_to(std::uint32_t address, int port, const std::string& bytes);
// An IPv4 address in network order as dotted text.
std::string dotted_address(std::uint32_t address);

// Nothing to set up; true.
bool net_init();
// Takes at most one waiting datagram, after up to status_queries_per_frame
// status queries (net/status.h). A remote-console datagram goes to the
// remote console, any other to the datagram hook (base/hooks.h); one that
// the hook does not take is reported on the console: its sender, its size,
// and its text up to the first zero byte with control characters escaped.
// Never waits; false when no datagram was waiting.
bool net_frame();
// Datagrams reported by net_frame so far (the remote console's are not).
std::uint64_t net_datagrams_reported();
// The open socket's descriptor, else -1: what an idle frame loop waits on.
int net_descriptor();
// Leaves the socket to the process exit; true.
bool net_shutdown();

}  // namespace varnholt

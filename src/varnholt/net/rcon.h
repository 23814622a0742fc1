/*
 * What the network layer calls of the remote console, and nothing else, so
 * that the layer needs nothing of the console side: implemented by
 * net/rcon_commands.cpp, which holds rcon_key, rcon_keygen and rcon and
 * uses the layer's socket.
 *
 * The datagrams and their checks live in rcon_protocol, rcon_server and
 * rcon_client; docs/remote-console.md describes the exchange.
 */
#pragma once

#include <cstdint>

namespace varnholt {

class Packet;

#ifdef VARNHOLT_RCON
// Serves or answers a received datagram that is the remote console's, which
// the network layer then does not report; false, doing nothing, for any
// other datagram. `sender` is the packet's address as four bytes in network
// order, 0 when it has none.
bool rcon_receive(const Packet& packet, std::uint32_t sender);
// Once per frame: ends a request whose server has been silent too long.
void rcon_frame();
#else
// Built without the remote console: every datagram is reported.
inline bool rcon_receive(const Packet&, std::uint32_t) { return false; }
inline void rcon_frame() {}
#endif

}  // namespace varnholt

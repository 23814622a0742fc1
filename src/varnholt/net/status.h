/*
 * What the network layer calls of the public status query, and what the
 * engine installs in it: implemented by net/status_commands.cpp, which
 * holds sv_status, sv_hostname and status and uses the layer's socket. The
 * datagrams and their checks live in net/status_query.h;
 * docs/status-query.md describes the exchange.
 */
#pragma once

#include <cstdint>

#include "varnholt/base/hooks.h"

namespace varnholt {

class Packet;

#ifdef VARNHOLT_RCON
// Answers or takes a received datagram that is the status query's, which the
// network layer then does not report; false, doing nothing, for any other.
// `sender` is the packet's address as four bytes in network order.
bool status_receive(const Packet& packet, std::uint32_t sender);
// Once per frame: ends a query whose server has been silent too long.
void status_frame();
#else
// Built without libsodium: no status query, every datagram is reported.
inline bool status_receive(const Packet&, std::uint32_t) { return false; }
inline void status_frame() {}
#endif

// The engine's figures for a status (uptime, tick rate, late ticks, then
// the game's pairs): installed by the engine, which lies above this layer.
// Null until then.
void status_set_source(void (*source)(StatusPairs& pairs));
void status_source(StatusPairs& pairs);

}  // namespace varnholt

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

class Packet;

// Whether a received datagram is the remote console's; the network layer
// then hands it to rcon_receive instead of reporting it.
bool rcon_claims(const Packet& packet);
// Serves or answers one remote-console datagram.
void rcon_receive(const Packet& packet);
// Once per frame: ends a request whose server has been silent too long.
void rcon_frame();

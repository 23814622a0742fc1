/*
 * The remote console on the network layer's socket: the variable rcon_key,
 * the commands rcon_keygen and rcon, and the frame work that serves remote
 * commands and prints the answers to this engine's own.
 *
 * The datagrams and their checks live in rcon_protocol, rcon_server and
 * rcon_client; here they meet the console and the socket. The key is read
 * from rcon_key whenever it is needed and never printed.
 */
#pragma once

#include <string>

#include "variables/variable.h"

class Packet;

// A string that shows, and substitutes for "$name", as "(hidden)" once set:
// the key stays out of the console, its history and any log of standard
// output, even when a remote command asks for it.
class SecretVariable : public Variable<std::string> {
public:
    using Variable<std::string>::Variable;
    std::ostream& print(std::ostream& os) override;
};

// 64 hexadecimal digits; the remote console is on while it holds a valid key.
extern SecretVariable rcon_key;

// Whether a received datagram is the remote console's (the network layer
// then hands it to rcon_receive instead of reporting it).
bool rcon_claims(const Packet& packet);
// Serves or answers one remote-console datagram.
void rcon_receive(const Packet& packet);
// Once per frame: ends a request whose server has been silent too long.
void rcon_frame();

/*
 * An IPv4 UDP socket bound to a local port on every interface, in blocking
 * mode, with no socket options set. The Socket owns its descriptor from a
 * successful open until close or its destruction; one whose open failed
 * holds nothing and fails every send and receive.
 *
 * Ports are plain integers in host byte order, 0 to 65535; anything else is
 * refused rather than cut to 16 bits.
 */
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace varnholt {

class Packet;

// The first IPv4 address of a host name or dotted address, as four bytes in
// network order; false when there is none, with the reason in words in
// `why` when it is given.
bool resolve_ipv4(const char* host, std::uint32_t& address, const char** why = nullptr);

class Socket {
public:
    // Whether `port` is one, 0 to 65535.
    static constexpr bool port_in_range(long port) { return port >= 0 && port <= 65535; }

    // Opens at once; is_open() tells whether that worked.
    explicit Socket(int port);
    ~Socket();
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;

    // Releases a held descriptor, then creates and binds a new one; port 0
    // lets the system choose. A port out of range is refused before
    // anything is released.
    bool open(int port);
    // False when no descriptor was held.
    bool close();
    // Sends the payload to the packet's address (a host name or a dotted
    // IPv4 address, resolved anew on every call) and port.
    bool send(const Packet& packet);
    // Sends `size` bytes to an address already resolved (four bytes in
    // network order, as resolve_ipv4 gives them) and a port in range.
    bool send_to(std::uint32_t address, int port, const char* data, std::size_t size);
    // Takes the next datagram without blocking: the payload becomes exactly
    // the bytes received, the address and port those of the sender. False
    // also when no datagram is waiting (any more: Linux may announce one and
    // drop it for a bad checksum when it is read); error() is then empty.
    // `sender`, when given, gets the sender's address as four bytes in
    // network order, 0 when the packet's address is empty.
    bool receive(Packet& packet, std::uint32_t* sender = nullptr);

    bool is_open() const { return opened; }
    // The local port the socket is bound to while open, else -1.
    int local_port() const;
    // The descriptor while open, else -1: what an idle frame loop waits on.
    int descriptor() const { return opened ? fd : -1; }
    // Why the last open, send or receive failed, in words: the system's
    // reason, or one of the socket's own such as "port out of range" or
    // "socket not open". Empty after one that worked.
    const std::string& error() const { return reason; }

private:
    // Returns false, so that a failing call can end with `return fail(...)`.
    bool fail(const char* why);

    int fd = -1;  // meaningful only while `opened`
    bool opened = false;
    std::string reason;
};

}  // namespace varnholt

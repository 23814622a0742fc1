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

class Packet;

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
    // anything is released. On failure error() holds the system's reason.
    bool open(int port);
    // False when no descriptor was held.
    bool close();
    // Whether a datagram is waiting, after waiting at most 100 microseconds.
    bool readable() const;
    // Sends the payload to the packet's address (a host name or a dotted
    // IPv4 address, resolved anew on every call) and port.
    bool send(const Packet& packet);
    // Takes the next datagram without blocking: the payload becomes exactly
    // the bytes received, the address and port those of the sender.
    bool receive(Packet& packet);

    bool is_open() const { return opened; }
    // Why the last open failed, as an errno value; 0 after a successful one.
    int error() const { return error_number; }

private:
    int fd = -1;  // meaningful only while `opened`
    bool opened = false;
    int error_number = 0;
};

/*
 * Test helper: a plain UDP socket of the test's own, bound on every
 * interface, to talk to the engine from outside it.
 */
#pragma once

#include <optional>
#include <string>

class UdpPeer {
public:
    // Bound to `port`, or to a port of the system's choice for 0. A port
    // that is taken leaves the peer unbound (see bound()).
    explicit UdpPeer(int port = 0);
    ~UdpPeer();
    UdpPeer(const UdpPeer&) = delete;
    UdpPeer& operator=(const UdpPeer&) = delete;

    bool bound() const { return bound_port > 0; }
    int port() const { return bound_port; }
    // One datagram to `port` on 127.0.0.1.
    bool send_to(int port, const std::string& bytes) const;
    // The next datagram within `seconds`, and its sender's port, or nothing.
    std::optional<std::string> receive(double seconds = 10, int* sender_port = nullptr) const;

private:
    int fd = -1;
    int bound_port = 0;
};

// A UDP port nobody holds right now: bound once by the system's choice,
// then given back.
int free_udp_port();

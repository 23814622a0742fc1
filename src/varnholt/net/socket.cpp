#include "varnholt/net/socket.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include "varnholt/net/packet.h"

namespace varnholt {

namespace {
// An IPv4 datagram carries at most 65507 payload bytes, so a datagram is
// never cut short here. One buffer serves every socket: there is one thread.
char datagram[65536];

sockaddr_in ipv4_address(in_addr_t address, int port)
{
    sockaddr_in result;
    std::memset(&result, 0, sizeof result);
    result.sin_family = AF_INET;
    result.sin_port = htons(static_cast<std::uint16_t>(port));
    result.sin_addr.s_addr = address;
    return result;
}
}

bool resolve_ipv4(const char* host, std::uint32_t& address, const char** why)
{
    addrinfo hints;
    std::memset(&hints, 0, sizeof hints);
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_DGRAM;
    addrinfo* found = nullptr;
    const int failure = getaddrinfo(host, nullptr, &hints, &found);
    if (failure != 0) {
        if (why)
            *why = failure == EAI_SYSTEM ? std::strerror(errno) : gai_strerror(failure);
        return false;
    }
    address = reinterpret_cast<const sockaddr_in*>(found->ai_addr)->sin_addr.s_addr;
    freeaddrinfo(found);
    return true;
}

Socket::Socket(int port)
{
    open(port);
}

Socket::~Socket()
{
    close();
}

bool Socket::open(int port)
{
    if (!port_in_range(port))
        return fail("port out of range");
    close();
    const int created = socket(AF_INET, SOCK_DGRAM, 0);
    if (created < 0)
        return fail(std::strerror(errno));
    fd = created;
    opened = true;
    const sockaddr_in local = ipv4_address(htonl(INADDR_ANY), port);
    if (bind(fd, reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0) {
        fail(std::strerror(errno));
        close();
        return false;
    }
    reason.clear();
    return true;
}

bool Socket::close()
{
    if (!opened)
        return false;
    ::close(fd);
    fd = -1;
    opened = false;
    return true;
}

int Socket::local_port() const
{
    sockaddr_in local;
    socklen_t size = sizeof local;
    if (!opened || getsockname(fd, reinterpret_cast<sockaddr*>(&local), &size) != 0)
        return -1;
    return ntohs(local.sin_port);
}

bool Socket::send(const Packet& packet)
{
    if (!opened)
        return fail("socket not open");
    if (!port_in_range(packet.port))
        return fail("port out of range");
    if (!packet.address || packet.size < 0)
        return fail("no address or no payload");
    std::uint32_t host = 0;
    const char* why = nullptr;
    if (!resolve_ipv4(packet.address, host, &why))
        return fail(why);
    return send_to(host, packet.port, packet.data, static_cast<std::size_t>(packet.size));
}

bool Socket::send_to(std::uint32_t address, int port, const char* data, std::size_t size)
{
    if (!opened)
        return fail("socket not open");
    const sockaddr_in target = ipv4_address(address, port);
    const auto* to = reinterpret_cast<const sockaddr*>(&target);
    // A datagram goes out whole or not at all.
    if (sendto(fd, data, size, 0, to, sizeof target) < 0)
        return fail(std::strerror(errno));
    reason.clear();
    return true;
}

bool Socket::receive(Packet& packet, std::uint32_t* sender_address)
{
    if (!opened)
        return fail("socket not open");
    sockaddr_in sender;
    std::memset(&sender, 0, sizeof sender);
    socklen_t sender_size = sizeof sender;
    // Never blocking, even after a wait said a datagram was there: Linux may
    // announce one and then drop it for a bad checksum when it is read.
    const ssize_t count = recvfrom(fd, datagram, sizeof datagram, MSG_DONTWAIT,
                                   reinterpret_cast<sockaddr*>(&sender), &sender_size);
    if (count < 0)
        return fail(errno == EAGAIN || errno == EWOULDBLOCK ? "" : std::strerror(errno));
    reason.clear();
    packet.set_data(datagram, static_cast<int>(count));
    char dotted[INET_ADDRSTRLEN];
    const bool known = sender.sin_family == AF_INET && inet_ntop(AF_INET, &sender.sin_addr, dotted, sizeof dotted);
    if (sender_address)
        *sender_address = known ? sender.sin_addr.s_addr : 0;
    if (known) {
        packet.set_port(ntohs(sender.sin_port));
        packet.set_address(dotted);
    } else {
        packet.set_port(0);
        packet.set_address("");
    }
    return true;
}

bool Socket::fail(const char* why)
{
    reason = why;
    return false;
}

}  // namespace varnholt

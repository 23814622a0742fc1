#include "udp_peer.h"

#include <arpa/inet.h>
#include <cstdint>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace {
sockaddr_in ipv4(std::uint32_t host, int port)
{
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(host);
    return address;
}
}

UdpPeer::UdpPeer(int port) : fd(socket(AF_INET, SOCK_DGRAM, 0))
{
    sockaddr_in address = ipv4(INADDR_ANY, port);
    if (fd < 0 || bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
        return;
    socklen_t size = sizeof address;
    if (getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size) == 0)
        bound_port = ntohs(address.sin_port);
}

UdpPeer::~UdpPeer()
{
    if (fd >= 0)
        close(fd);
}

bool UdpPeer::send_to(int port, const std::string& bytes) const
{
    const sockaddr_in target = ipv4(INADDR_LOOPBACK, port);
    return sendto(fd, bytes.data(), bytes.size(), 0, reinterpret_cast<const sockaddr*>(&target), sizeof target)
        == static_cast<ssize_t>(bytes.size());
}

std::optional<std::string> UdpPeer::receive(double seconds, int* sender_port) const
{
    pollfd entry {fd, POLLIN, 0};
    if (poll(&entry, 1, static_cast<int>(seconds * 1000)) <= 0)
        return std::nullopt;
    std::vector<char> buffer(65536);
    sockaddr_in sender {};
    socklen_t size = sizeof sender;
    const ssize_t count = recvfrom(fd, buffer.data(), buffer.size(), 0, reinterpret_cast<sockaddr*>(&sender), &size);
    if (count < 0)
        return std::nullopt;
    if (sender_port)
        *sender_port = ntohs(sender.sin_port);
    return std::string(buffer.data(), static_cast<std::size_t>(count));
}

int free_udp_port()
{
    return UdpPeer().port();
}

#include "varnholt/net/packet.h"

#include <algorithm>
#include <cassert>
#include <cstring>

#include "varnholt/base/copy_string.h"

namespace varnholt {

Packet::Packet() = default;

Packet::Packet(const char* address, int port, const char* data, int len)
{
    set_data(data, len);
    set_address(address);
    set_port(port);
}

Packet::Packet(const Packet& other)
{
    assign(other);
}

Packet& Packet::operator=(const Packet& other)
{
    assign(other);
    return *this;
}

Packet::~Packet()
{
    delete[] data;
    delete[] address;
}

bool Packet::assign(const Packet& other)
{
    if (!set_data(other.data, other.size))
        return false;
    set_address(other.address);
    set_port(other.port);
    return true;
}

bool Packet::set_data(const char* src, int len)
{
    assert(len >= 0 && (src || len == 0));
    // Copy before releasing: `src` may be this packet's own payload, and a
    // failing allocation must leave the old payload in place.
    char* copy = new char[static_cast<std::size_t>(len)];
    if (len > 0)
        std::memcpy(copy, src, static_cast<std::size_t>(len));
    delete[] data;
    data = copy;
    size = len;
    return true;
}

bool Packet::resize(int n)
{
    assert(n >= 0);
    if (n == size)
        return true;
    char* resized = new char[static_cast<std::size_t>(n)];
    const int kept = std::min(size, n);
    if (kept > 0)
        std::memcpy(resized, data, static_cast<std::size_t>(kept));
    delete[] data;
    data = resized;
    size = n;
    return true;
}

void Packet::set_address(const char* text)
{
    // Copy first: `text` may be this packet's own address.
    char* copy = copy_string(text);
    delete[] address;
    address = copy;
}

void Packet::set_port(int port)
{
    this->port = port;
}

}  // namespace varnholt

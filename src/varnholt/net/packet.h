/*
 * One UDP datagram as the network layer handles it: the payload bytes and
 * the peer's address text and port. For sending, the packet names the
 * destination; after receiving, it names the sender.
 *
 * The packet owns `address` and `data`, both array-allocated; every setter
 * stores a copy, never the caller's pointer. `data` holds exactly `size`
 * bytes and is not zero-terminated unless its bytes end with a zero. A
 * packet that never had a payload has `data` null and `size` 0. Packets are
 * short-lived values on the stack of whoever sends or receives them.
 *
 * Only memory exhaustion fails (std::bad_alloc); the packet then stays as it
 * was before the failing operation.
 */
#pragma once

namespace varnholt {

class Packet {
public:
    // No address, no payload, port 0.
    Packet();
    // Copies `len` bytes of `data` and the `address` text (which may be null).
    Packet(const char* address, int port, const char* data, int len);
    // Has arrays of its own: the two packets never share memory.
    Packet(const Packet& other);
    Packet& operator=(const Packet& other);
    // Packets live on one stack frame and are copied on purpose.
    Packet(Packet&&) = delete;
    Packet& operator=(Packet&&) = delete;
    ~Packet();

    // Becomes a copy of `other`; `other` may be this packet. Always true.
    bool assign(const Packet& other);
    // Replaces the payload by a copy of `len` bytes from `src`, which may
    // point into the current payload. Length 0 leaves a non-null empty
    // array. Always true.
    bool set_data(const char* src, int len);
    // Makes the payload `n` bytes long, keeping its first min(size, n)
    // bytes; added bytes are not zeroed. The array stays in place when `n`
    // equals `size`. Always true.
    bool resize(int n);
    // Stores a copy of `text`; null leaves the address null.
    void set_address(const char* text);
    // Host byte order, stored unchanged.
    void set_port(int port);

    char* address = nullptr;  // host name or dotted IPv4 address; may be null
    char* data = nullptr;     // `size` bytes; may be null
    int port = 0;
    int size = 0;
};

}  // namespace varnholt

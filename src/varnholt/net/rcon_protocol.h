/*
 * The remote console's datagrams: their layout, and sealing and opening them
 * with the shared key. docs/remote-console.md describes the same exchange
 * for the authors of other clients.
 *
 * Every datagram begins with the 4-byte `prefix` and a type byte, then the
 * fields of its type, a 24-byte random nonce, and the XChaCha20-Poly1305
 * (IETF) ciphertext of its payload. The associated data is every byte before
 * the nonce, so no header byte can change unnoticed. Byte strings are held
 * in std::string; nothing here keeps state or prints.
 */
#pragma once

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "varnholt/base/clock.h"
#include "varnholt/base/limits.h"

namespace varnholt {

namespace rcon {
// No n_send datagram longer than one byte begins with a zero byte: its text
// is a C string followed by its zero.
constexpr std::size_t prefix_size = 4;
constexpr unsigned char prefix[prefix_size] = {0x00, 'V', 'R', 'C'};

enum class Type : unsigned char { hello = 1, cookie = 2, command = 3, output = 4, unknown = 0 };

constexpr std::size_t key_size = 32;
constexpr std::size_t nonce_size = 24;
constexpr std::size_t tag_size = 16;
constexpr std::size_t random_size = 16;
// Opaque to a client: the server's issue serial, issue time and MAC.
constexpr std::size_t cookie_size = 48;
constexpr std::size_t sequence_size = 8;
// A hello's sending time: milliseconds since 1970 (UTC) on the client's
// clock.
constexpr std::size_t time_size = 8;

constexpr std::size_t max_datagram = remote_datagram_size;
constexpr int max_outputs = remote_output_datagrams;
// A console line's length without its zero.
constexpr std::size_t max_command = remote_command_length;

constexpr std::size_t hello_size = prefix_size + 1 + nonce_size + random_size + cookie_size + tag_size;
constexpr std::size_t cookie_reply_size = hello_size;
constexpr std::size_t command_header = prefix_size + 1 + cookie_size + sequence_size;
constexpr std::size_t min_command_size = command_header + nonce_size + tag_size;
constexpr std::size_t max_command_size = min_command_size + max_command;
// Then an index byte and a flags byte.
constexpr std::size_t output_header = command_header + 2;
constexpr std::size_t max_output_text = max_datagram - output_header - nonce_size - tag_size;
constexpr unsigned char output_last = 1;
constexpr unsigned char output_cut = 2;

static_assert(cookie_reply_size <= hello_size, "a cookie reply never outgrows the hello it answers");
static_assert(random_size + time_size <= random_size + cookie_size, "the time fits the hello's padding");
static_assert(max_command_size <= max_datagram, "a command fits one datagram");

// An IPv4 address as its four bytes in network order, and a port.
struct Peer {
    std::uint32_t address = 0;
    int port = 0;
    bool operator==(const Peer& other) const { return address == other.address && port == other.port; }
};

// Cookies and waiting use the engine's one clock, which never jumps; a
// hello's time is the only one that two machines compare.
using Clock = MonotonicClock;
using WallClock = std::chrono::system_clock;
using Random = std::array<unsigned char, random_size>;
using Cookie = std::array<unsigned char, cookie_size>;

// The shared key; wiped when it goes, never copied.
struct Key {
    Key() = default;
    ~Key();
    Key(const Key&) = delete;
    Key& operator=(const Key&) = delete;

    unsigned char bytes[key_size] = {};
};

// Whether libsodium could be initialised; initialises it on the first call.
bool crypto_ready();
// Decodes exactly 64 hexadecimal digits into `key`; false (and `key`
// wiped) for anything else, the all-zero key included: it is no secret.
bool decode_key(const std::string& hex, Key& key);
// A fresh random key as 64 lower-case hexadecimal digits.
std::string generate_key_text();

// Whether a datagram belongs to the remote console.
bool is_remote_console(const char* data, std::size_t size);
// The type byte of a remote-console datagram; unknown when absent or new.
Type type_of(const char* data, std::size_t size);

// header | nonce | ciphertext of `plain`, with the header as associated data.
std::string seal(const std::string& header, const std::string& plain, const Key& key);
// The payload of a sealed datagram whose header is `header_size` bytes;
// false when it is shorter than a header, nonce and tag, or its tag is bad.
bool open(const char* data, std::size_t size, std::size_t header_size, const Key& key, std::string& plain);

// The random, the sending time and zero bytes up to the size of a cookie
// reply's plaintext, sealed.
std::string hello(const Random& random, WallClock::time_point sent, const Key& key);
std::string cookie_reply(const Random& random, const Cookie& cookie, const Key& key);
std::string command(const Cookie& cookie, std::uint64_t sequence, const std::string& text, const Key& key);
// The output of one command, in datagrams of at most max_datagram bytes: at
// least one, at most max_outputs, the last one flagged, and flagged cut too
// when `text` did not fit.
std::vector<std::string> output(const Cookie& cookie, std::uint64_t sequence, const std::string& text,
                                const Key& key);

// The fields in front of a command's or an output's nonce; false when the
// datagram is too short to hold them.
struct Header {
    Cookie cookie;
    std::uint64_t sequence = 0;
    int index = 0;           // outputs only
    unsigned char flags = 0; // outputs only
};
bool read_header(const char* data, std::size_t size, Header& header);

void put_u64(std::string& bytes, std::uint64_t value);
std::uint64_t get_u64(const unsigned char* bytes);
// Milliseconds since 1970 as a hello carries them; 0 for a clock before that.
std::uint64_t wall_milliseconds(WallClock::time_point time);
}

}  // namespace varnholt

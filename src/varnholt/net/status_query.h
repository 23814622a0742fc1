/*
 * The public status query: its datagrams, the server that answers them and
 * the client behind the `status` command. docs/status-query.md describes
 * the bytes for the authors of server browsers.
 *
 * Every datagram begins with the 4-byte `prefix`, a type byte and the
 * client's 8-byte nonce, which every answer carries back. A client first
 * sends a challenge request and gets a challenge: the time it was issued
 * and a MAC over the sender's address, port and that time, under a secret
 * drawn when the server is made. Only a status request that carries a valid
 * challenge, issued to the same address and port less than
 * `challenge_lifetime` ago, gets the status. Both queries are `query_size`
 * bytes, as large as a challenge, so that nobody can make the server send a
 * stranger more than the stranger's own query; the status goes only to an
 * address that has shown it receives there, and is at most
 * `max_status_size` bytes.
 *
 * The server keeps no state per exchange. Queries count against a limit per
 * source address and one in total, per second, before any other work: one
 * over either gets nothing, at the cost of a hash and a table lookup. The
 * table of addresses has a fixed size, so a flood from many addresses costs
 * fixed memory. Nothing here prints or sends.
 */
#pragma once

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "varnholt/base/hooks.h"
#include "varnholt/base/limits.h"
#include "varnholt/net/rcon_protocol.h"

namespace varnholt {

namespace status {
// Unlike any n_send datagram longer than one byte, and unlike the remote
// console's prefix.
constexpr std::size_t prefix_size = 4;
constexpr unsigned char prefix[prefix_size] = {0x00, 'V', 'S', 'Q'};

enum class Type : unsigned char { challenge_request = 1, challenge = 2, status_request = 3, status = 4, unknown = 0 };

constexpr std::size_t nonce_size = 8;
// Issue time (milliseconds on the server's own clock) and MAC.
constexpr std::size_t mac_size = 16;
constexpr std::size_t challenge_size = 8 + mac_size;
constexpr std::size_t header_size = prefix_size + 1 + nonce_size;
// Both queries, and a challenge.
constexpr std::size_t query_size = header_size + challenge_size;
constexpr std::size_t max_status_size = status_reply_size;
// A status: the header, a flags byte, then pairs of zero-terminated key
// and value.
constexpr std::size_t status_header = header_size + 1;
constexpr unsigned char status_cut = 1;

using Peer = rcon::Peer;
using Clock = rcon::Clock;
using Nonce = std::array<unsigned char, nonce_size>;
using Challenge = std::array<unsigned char, challenge_size>;

// Whether a datagram belongs to the status query.
bool is_status_query(const char* data, std::size_t size);

// A datagram read: its type and the fields that type has. `type` is unknown
// for a datagram of no known type or of the wrong size for its type.
struct Datagram {
    Type type = Type::unknown;
    Nonce nonce {};
    Challenge challenge {};     // challenge and status_request
    unsigned char flags = 0;    // status
    StatusPairs pairs;          // status: the pairs, raw; an unterminated one is dropped
};
Datagram parse(const char* data, std::size_t size);

// The datagrams, as a client or a server sends them.
std::string challenge_request(const Nonce& nonce);
std::string challenge_reply(const Nonce& nonce, const Challenge& challenge);
std::string status_request(const Nonce& nonce, const Challenge& challenge);
// Pairs are taken in order while they fit in max_status_size; the flags say
// when some did not. A key or value ends at its first zero byte.
std::string status_reply(const Nonce& nonce, const StatusPairs& pairs);

class Server {
public:
    static constexpr std::chrono::seconds challenge_lifetime {10};
    static constexpr int per_address = status_queries_per_address;
    static constexpr int in_total = status_queries_per_second;
    static constexpr std::size_t tracked_addresses = status_tracked_addresses;

    // Draws a fresh secret.
    Server();
    // Wipes the secret.
    ~Server();
    Server(const Server&) = delete;
    Server& operator=(const Server&) = delete;

    // The answer to a status datagram from `from` at `now`: empty for none.
    // `fill` is called for the pairs of a status, and only then.
    std::string receive(const char* data, std::size_t size, const Peer& from, Clock::time_point now,
                        const std::function<void(StatusPairs&)>& fill);

private:
    struct Slot {
        std::uint32_t address = 0;
        std::int64_t second = -1;
        int count = 0;
    };

    // Counts a query from `address` against both limits: false when over one.
    bool admit(std::uint32_t address, Clock::time_point now);
    Challenge make_challenge(const Peer& from, std::uint64_t issued) const;

    unsigned char secret[32];
    unsigned char slot_key[16];
    std::array<Slot, tracked_addresses> slots {};
    std::int64_t total_second = -1;
    int total_count = 0;
};

// One query at a time, from the challenge request to the status.
class Client {
public:
    static constexpr std::chrono::seconds answer_time {3};

    struct Progress {
        std::string send;        // a datagram for the server, or empty
        bool finished = false;   // the status came: `pairs` and `cut` hold it
        bool cut = false;
        StatusPairs pairs;
    };

    bool busy() const { return waiting; }
    const Peer& server() const { return peer; }
    // Starts a query of `server` and returns its challenge request.
    std::string start(const Peer& server, Clock::time_point now);
    // A status datagram from `from`: false when it is no answer to the
    // current query (another sender, another nonce, an unexpected type).
    bool receive(const char* data, std::size_t size, const Peer& from, Clock::time_point now, Progress& progress);
    // True once the server has been silent for answer_time; the query is
    // dropped then.
    bool overdue(Clock::time_point now);
    void reset() { waiting = false; }

private:
    bool waiting = false;
    bool challenged = false;
    Peer peer;
    Nonce nonce {};
    Clock::time_point deadline {};
};
}

}  // namespace varnholt

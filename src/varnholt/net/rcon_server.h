/*
 * The server side of the remote console: decides, for each remote-console
 * datagram of a hello or command type, whether it is answered, run or
 * refused. It sends and prints nothing itself; the network layer does what
 * the result says.
 *
 * - A hello that authenticates gets a cookie reply no larger than itself.
 *   The cookie binds the sender's IPv4 address and port to this process: it
 *   holds an issue serial and time and a MAC under a secret drawn when the
 *   server is made, so a restarted server voids every older cookie.
 * - A command runs when its cookie is this server's, was issued to its
 *   sender less than two minutes ago, its tag is good under the key, and
 *   its sequence number is above every one accepted with that cookie. The
 *   table of cookies is bounded too; once full, a cookie older than every
 *   one it holds is refused.
 * - Everything else is refused, unanswered. Failures count per source
 *   address: five within a minute of each other make the address ignored
 *   for a minute. Refusals are worth logging at most once every ten seconds
 *   per address. Both tables are bounded, so a flood from many addresses
 *   costs fixed memory, and forgetting an address (an ignored one last) only
 *   forgets its failures.
 */
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "varnholt/net/rcon_protocol.h"

namespace varnholt {

namespace rcon {
enum class Refusal { none, off, ignored, malformed, bad_tag, bad_cookie, expired, replayed };
// The words a log line gives the reason, such as "replayed".
const char* refusal_text(Refusal refusal);

class Server {
public:
    static constexpr int failure_limit = remote_failures_before_ignoring;
    static constexpr std::chrono::seconds failure_memory {60};
    static constexpr std::chrono::seconds ignore_time {60};
    static constexpr std::chrono::seconds cookie_lifetime {120};
    static constexpr std::chrono::seconds log_interval {10};
    static constexpr std::size_t max_addresses = remote_tracked_addresses;
    static constexpr std::size_t max_cookies = remote_live_cookies;

    enum class Verdict { answer, run, refused };
    struct Result {
        Verdict verdict = Verdict::refused;
        Refusal refusal = Refusal::none;
        bool log = false;     // a refusal not yet logged in the last ten seconds
        std::string reply;    // answer: the cookie reply
        std::string command;  // run: the command text
        Header header;        // run: the cookie and sequence the output carries
    };

    // Draws a fresh secret.
    Server();
    // Wipes the secret.
    ~Server();
    Server(const Server&) = delete;
    Server& operator=(const Server&) = delete;

    // One remote-console datagram from `from`. A null key means the remote
    // console is off: everything is refused.
    Result receive(const char* data, std::size_t size, const Peer& from, const Key* key, Clock::time_point now);

private:
    struct AddressRecord {
        std::uint32_t address = 0;
        int failures = 0;
        Clock::time_point last_seen {};
        Clock::time_point last_failure {};
        Clock::time_point ignored_until {};
        Clock::time_point logged {};
        bool ever_logged = false;
    };
    struct CookieRecord {
        std::uint64_t serial = 0;
        std::uint64_t highest = 0;  // the highest sequence accepted
    };

    Result answer_hello(const char* data, std::size_t size, const Peer& from, const Key& key,
                        Clock::time_point now);
    Result run_command(const char* data, std::size_t size, const Peer& from, const Key& key,
                       Clock::time_point now);
    Cookie make_cookie(const Peer& from, std::uint64_t serial, std::uint64_t issued) const;
    // Takes `sequence` for the cookie of `serial`: none, or why not.
    Refusal accept_sequence(std::uint64_t serial, std::uint64_t sequence);
    AddressRecord& record_of(std::uint32_t address, Clock::time_point now);
    AddressRecord* find_record(std::uint32_t address);
    Result refuse(Refusal refusal, const Peer& from, Clock::time_point now);

    unsigned char secret[32];
    std::uint64_t issued = 0;  // cookies issued so far; the last one's serial
    std::vector<CookieRecord> cookies;
    std::vector<AddressRecord> addresses;
};
}

}  // namespace varnholt

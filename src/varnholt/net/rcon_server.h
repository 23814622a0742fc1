/*
 * The server side of the remote console: decides, for each remote-console
 * datagram of a hello or command type, whether it is answered, run or
 * refused. It sends and prints nothing itself; the network layer does what
 * the result says.
 *
 * - A hello that authenticates gets a cookie reply no larger than itself,
 *   once: the same hello again is refused, and so is one whose sealed
 *   sending time is older than the cookie lifetime, allowing
 *   clock_tolerance for the client's clock either way, or is before this
 *   server was made (an earlier process may have answered it). Answered
 *   hellos are remembered until their time would refuse them anyway, in a
 *   bounded table; when it is full of live ones, new hellos are refused
 *   until room comes free, so that no copy slips through a forgotten entry.
 *   The cookie binds the sender's IPv4 address and port to this process: it
 *   holds an issue serial and time and a MAC under a secret drawn when the
 *   server is made, so a restarted server voids every older cookie.
 * - A command runs when its cookie is this server's, was issued to its
 *   sender less than two minutes ago, its tag is good under the key, and
 *   its sequence number is above every one accepted with that cookie. The
 *   table of cookies is bounded too; once full, a cookie older than every
 *   one it holds is refused.
 * - Everything else is refused, unanswered. A datagram that authenticates
 *   is judged on its own, whatever its address did before: anyone sharing
 *   the address could have sent the failures. Failures count per source
 *   address only to save the log: five within a minute of each other mute
 *   the address's refusals for a minute. Refusals are worth logging at most
 *   once every ten seconds per address, and at most ten a second in all;
 *   the ones the total cap keeps out are counted for one summary line.
 *   Every table is bounded, so a flood from many addresses costs fixed
 *   memory and a bounded log, and forgetting an address (a muted one last)
 *   only forgets its failures.
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
enum class Refusal { none, off, malformed, bad_tag, bad_cookie, expired, replayed, stale, busy };
// The words a log line gives the reason, such as "replayed".
const char* refusal_text(Refusal refusal);

class Server {
public:
    static constexpr int failure_limit = remote_failures_before_ignoring;
    static constexpr std::chrono::seconds failure_memory {60};
    static constexpr std::chrono::seconds mute_time {60};
    static constexpr std::chrono::seconds cookie_lifetime {120};
    // How far a client's clock may be from this one, either way.
    static constexpr std::chrono::seconds clock_tolerance {60};
    static constexpr std::chrono::seconds log_interval {10};
    static constexpr int log_lines_per_second = 10;
    static constexpr std::size_t max_addresses = remote_tracked_addresses;
    static constexpr std::size_t max_cookies = remote_live_cookies;
    // Four hellos a second over the longest time one is remembered.
    static constexpr std::size_t max_hellos = 1024;

    enum class Verdict { answer, run, refused };
    struct Result {
        Verdict verdict = Verdict::refused;
        Refusal refusal = Refusal::none;
        bool log = false;     // a refusal worth a log line
        bool mutes = false;   // this failure mutes its address's refusals for a minute
        std::string reply;    // answer: the cookie reply
        std::string command;  // run: the command text
        Header header;        // run: the cookie and sequence the output carries
    };

    // Draws a fresh secret. `started` and `started_wall` are the same
    // moment on both clocks: the time of day is read once and counted on
    // with this process's clock, so setting the time of day back later
    // cannot make a forgotten hello look fresh. Hellos dated before
    // `started_wall` are refused: those an earlier server answered are not
    // remembered here.
    explicit Server(Clock::time_point started = {}, WallClock::time_point started_wall = {});
    // Wipes the secret.
    ~Server();
    Server(const Server&) = delete;
    Server& operator=(const Server&) = delete;

    // One remote-console datagram from `from`. A null key means the remote
    // console is off: everything is refused.
    Result receive(const char* data, std::size_t size, const Peer& from, const Key* key, Clock::time_point now);
    // How many refusals the total cap kept out of the log in a second that
    // is over, once; 0 while none are left to report.
    std::uint64_t unlogged(Clock::time_point now);

private:
    struct AddressRecord {
        std::uint32_t address = 0;
        int failures = 0;
        Clock::time_point last_seen {};
        Clock::time_point last_failure {};
        Clock::time_point muted_until {};
        Clock::time_point logged {};
        bool ever_logged = false;
    };
    struct CookieRecord {
        std::uint64_t serial = 0;
        std::uint64_t highest = 0;  // the highest sequence accepted
    };
    struct HelloRecord {
        Random random;
        std::uint64_t sent = 0;  // milliseconds since 1970
    };

    Result answer_hello(const char* data, std::size_t size, const Peer& from, const Key& key,
                        Clock::time_point now);
    Result run_command(const char* data, std::size_t size, const Peer& from, const Key& key,
                       Clock::time_point now);
    Cookie make_cookie(const Peer& from, std::uint64_t serial, std::uint64_t issued) const;
    // Takes `sequence` for the cookie of `serial`: none, or why not.
    Refusal accept_sequence(std::uint64_t serial, std::uint64_t sequence);
    // Takes a hello sent at `sent` (milliseconds since 1970) and received
    // at `now`: none, or why not.
    Refusal accept_hello(const Random& random, std::uint64_t sent, Clock::time_point now);
    AddressRecord& record_of(std::uint32_t address, Clock::time_point now);
    AddressRecord* find_record(std::uint32_t address);
    Result refuse(Refusal refusal, const Peer& from, Clock::time_point now);
    // Whether the total cap leaves room for one more log line now.
    bool take_log_line(Clock::time_point now);

    unsigned char secret[32];
    std::uint64_t issued = 0;  // cookies issued so far; the last one's serial
    std::vector<CookieRecord> cookies;
    std::vector<HelloRecord> hellos;
    Clock::time_point started;
    std::uint64_t started_wall;  // in milliseconds since 1970
    std::vector<AddressRecord> addresses;
    Clock::time_point log_second {};  // when the current second of log lines began
    bool logging_started = false;
    int lines_this_second = 0;
    std::uint64_t unlogged_this_second = 0;
    std::uint64_t unlogged_to_report = 0;
};
}

}  // namespace varnholt

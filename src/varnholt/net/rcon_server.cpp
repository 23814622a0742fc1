#include "varnholt/net/rcon_server.h"

#include <algorithm>
#include <utility>
#include <sodium.h>

namespace varnholt {

namespace rcon {
static_assert(sizeof(std::uint64_t) * 2 + crypto_auth_BYTES == cookie_size, "serial, time, MAC");

namespace {
std::uint64_t milliseconds(Clock::time_point time)
{
    return static_cast<std::uint64_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(time.time_since_epoch()).count());
}

std::uint64_t milliseconds_since(Clock::time_point start, Clock::time_point now)
{
    return now > start ? milliseconds(now) - milliseconds(start) : 0;
}

// What the cookie's MAC covers: where the cookie may come from, and which
// cookie it is.
std::string mac_input(const Peer& from, std::uint64_t serial, std::uint64_t issued)
{
    std::string input(reinterpret_cast<const char*>(&from.address), sizeof from.address);
    input += static_cast<char>(from.port >> 8 & 0xff);
    input += static_cast<char>(from.port & 0xff);
    put_u64(input, serial);
    put_u64(input, issued);
    return input;
}
}

const char* refusal_text(Refusal refusal)
{
    switch (refusal) {
    case Refusal::none:
        break;
    case Refusal::off:
        return "not serving: rcon_serve is 0 or rcon_key holds no key";
    case Refusal::malformed:
        return "malformed";
    case Refusal::bad_tag:
        return "bad tag";
    case Refusal::bad_cookie:
        return "bad cookie";
    case Refusal::expired:
        return "expired cookie";
    case Refusal::replayed:
        return "replayed";
    case Refusal::stale:
        return "hello too old or dated too far from this clock";
    case Refusal::busy:
        return "too many hellos to remember";
    }
    return "";
}

Server::Server(Clock::time_point started, WallClock::time_point started_wall)
    : started(started), started_wall(wall_milliseconds(started_wall))
{
    crypto_ready();
    crypto_auth_keygen(secret);
}

Server::~Server()
{
    sodium_memzero(secret, sizeof secret);
}

Server::Result Server::receive(const char* data, std::size_t size, const Peer& from, const Key* key,
                               Clock::time_point now)
{
    if (!key)
        return refuse(Refusal::off, from, now);
    switch (type_of(data, size)) {
    case Type::hello:
        return answer_hello(data, size, from, *key, now);
    case Type::command:
        return run_command(data, size, from, *key, now);
    default:
        return refuse(Refusal::malformed, from, now);
    }
}

Server::Result Server::answer_hello(const char* data, std::size_t size, const Peer& from, const Key& key,
                                    Clock::time_point now)
{
    std::string plain;
    if (size != hello_size)
        return refuse(Refusal::malformed, from, now);
    if (!open(data, size, prefix_size + 1, key, plain))
        return refuse(Refusal::bad_tag, from, now);
    Random random;
    std::copy(plain.begin(), plain.begin() + random_size, random.begin());
    const std::uint64_t sent = get_u64(reinterpret_cast<const unsigned char*>(plain.data()) + random_size);
    if (const Refusal refusal = accept_hello(random, sent, now); refusal != Refusal::none)
        return refuse(refusal, from, now);
    Result result;
    result.verdict = Verdict::answer;
    result.reply = cookie_reply(random, make_cookie(from, ++issued, milliseconds(now)), key);
    return result;
}

Server::Result Server::run_command(const char* data, std::size_t size, const Peer& from, const Key& key,
                                   Clock::time_point now)
{
    Result result;
    if (size < min_command_size || size > max_command_size || !read_header(data, size, result.header))
        return refuse(Refusal::malformed, from, now);
    const unsigned char* cookie = result.header.cookie.data();
    const std::uint64_t serial = get_u64(cookie);
    const std::uint64_t issued_at = get_u64(cookie + 8);
    const std::string covered = mac_input(from, serial, issued_at);
    if (crypto_auth_verify(cookie + 16, reinterpret_cast<const unsigned char*>(covered.data()), covered.size(),
                           secret)
        != 0)
        return refuse(Refusal::bad_cookie, from, now);
    // The MAC vouches for the time: it is this process's own clock.
    const auto age = now - Clock::time_point(std::chrono::milliseconds(issued_at));
    if (age < Clock::duration::zero() || age > cookie_lifetime)
        return refuse(Refusal::expired, from, now);
    if (!open(data, size, command_header, key, result.command))
        return refuse(Refusal::bad_tag, from, now);
    if (const Refusal refusal = accept_sequence(serial, result.header.sequence); refusal != Refusal::none)
        return refuse(refusal, from, now);
    result.verdict = Verdict::run;
    return result;
}

Cookie Server::make_cookie(const Peer& from, std::uint64_t serial, std::uint64_t issued_at) const
{
    std::string cookie;
    put_u64(cookie, serial);
    put_u64(cookie, issued_at);
    const std::string covered = mac_input(from, serial, issued_at);
    Cookie result;
    std::copy(cookie.begin(), cookie.end(), result.begin());
    crypto_auth(result.data() + cookie.size(), reinterpret_cast<const unsigned char*>(covered.data()),
                covered.size(), secret);
    return result;
}

Refusal Server::accept_sequence(std::uint64_t serial, std::uint64_t sequence)
{
    auto found = std::find_if(cookies.begin(), cookies.end(),
                              [serial](const CookieRecord& record) { return record.serial == serial; });
    if (found == cookies.end()) {
        if (cookies.size() < max_cookies) {
            found = cookies.insert(cookies.end(), {serial, 0});
        } else {
            // A full table forgets its oldest cookie, and the oldest serial
            // left is a floor: a cookie below it, used or not, is refused, so
            // forgetting can never let a command run twice.
            found = std::min_element(cookies.begin(), cookies.end(),
                                     [](const CookieRecord& a, const CookieRecord& b) { return a.serial < b.serial; });
            if (serial < found->serial)
                return Refusal::expired;
            *found = {serial, 0};
        }
    }
    if (sequence <= found->highest)
        return Refusal::replayed;
    found->highest = sequence;
    return Refusal::none;
}

Refusal Server::accept_hello(const Random& random, std::uint64_t sent, Clock::time_point now)
{
    using std::chrono::milliseconds;
    const std::uint64_t wall = started_wall + milliseconds_since(started, now);
    const auto tolerance = static_cast<std::uint64_t>(milliseconds(clock_tolerance).count());
    const auto oldest = static_cast<std::uint64_t>(milliseconds(cookie_lifetime).count()) + tolerance;
    // Too old for this clock is also when a remembered hello may go: any
    // copy of it is refused by its time from then on.
    const auto stale = [&](std::uint64_t time) {
        return time > wall + tolerance || wall - std::min(wall, time) > oldest;
    };
    if (stale(sent) || sent < started_wall)
        return Refusal::stale;
    HelloRecord* free_slot = nullptr;
    for (HelloRecord& record : hellos) {
        if (sodium_memcmp(record.random.data(), random.data(), random_size) == 0)
            return Refusal::replayed;
        if (!free_slot && stale(record.sent))
            free_slot = &record;
    }
    if (!free_slot) {
        if (hellos.size() == max_hellos)
            return Refusal::busy;
        free_slot = &hellos.emplace_back();
    }
    *free_slot = {random, sent};
    return Refusal::none;
}

Server::AddressRecord* Server::find_record(std::uint32_t address)
{
    for (AddressRecord& record : addresses) {
        if (record.address == address)
            return &record;
    }
    return nullptr;
}

Server::AddressRecord& Server::record_of(std::uint32_t address, Clock::time_point now)
{
    AddressRecord* record = find_record(address);
    if (!record) {
        // The address heard from least recently makes room, one that is not
        // muted if there is one: all it loses is the count of its failures.
        if (addresses.size() == max_addresses) {
            record = &*std::min_element(addresses.begin(), addresses.end(),
                                        [now](const AddressRecord& a, const AddressRecord& b) {
                                            return std::make_pair(now < a.muted_until, a.last_seen)
                                                < std::make_pair(now < b.muted_until, b.last_seen);
                                        });
            *record = AddressRecord {};
        } else {
            record = &addresses.emplace_back();
        }
        record->address = address;
    }
    record->last_seen = now;
    return *record;
}

Server::Result Server::refuse(Refusal refusal, const Peer& from, Clock::time_point now)
{
    AddressRecord& record = record_of(from.address, now);
    Result result;
    result.refusal = refusal;
    // A muted address's failures are neither counted nor logged: the
    // minute of silence is all they could earn.
    if (now < record.muted_until)
        return result;
    if (refusal != Refusal::off) {
        if (now - record.last_failure > failure_memory)
            record.failures = 0;
        record.last_failure = now;
        if (++record.failures >= failure_limit) {
            record.failures = 0;
            record.muted_until = now + mute_time;
            result.mutes = true;
        }
    }
    // The line that says an address goes quiet is never held back for it.
    result.log = (result.mutes || !record.ever_logged || now - record.logged >= log_interval) && take_log_line(now);
    if (result.log) {
        record.logged = now;
        record.ever_logged = true;
    }
    return result;
}

bool Server::take_log_line(Clock::time_point now)
{
    if (!logging_started || now - log_second >= std::chrono::seconds(1)) {
        unlogged_to_report += unlogged_this_second;
        unlogged_this_second = 0;
        lines_this_second = 0;
        log_second = now;
        logging_started = true;
    }
    if (lines_this_second < log_lines_per_second) {
        ++lines_this_second;
        return true;
    }
    ++unlogged_this_second;
    return false;
}

std::uint64_t Server::unlogged(Clock::time_point now)
{
    if (logging_started && now - log_second >= std::chrono::seconds(1)) {
        unlogged_to_report += unlogged_this_second;
        unlogged_this_second = 0;
    }
    return std::exchange(unlogged_to_report, 0);
}
}

}  // namespace varnholt

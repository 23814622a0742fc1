#include "varnholt/net/status_query.h"

#include <algorithm>
#include <cstring>
#include <sodium.h>

namespace varnholt {

namespace status {
static_assert(mac_size >= crypto_generichash_BYTES_MIN && mac_size <= crypto_generichash_BYTES_MAX,
              "the MAC is a keyed BLAKE2b hash");
static_assert(query_size >= header_size + challenge_size, "a challenge never outgrows the query it answers");
static_assert(max_status_size <= remote_datagram_size, "a status is never fragmented");

namespace {
const unsigned char* bytes_of(const char* data)
{
    return reinterpret_cast<const unsigned char*>(data);
}

std::string header_of(Type type, const Nonce& nonce)
{
    std::string header(reinterpret_cast<const char*>(prefix), prefix_size);
    header += static_cast<char>(type);
    header.append(reinterpret_cast<const char*>(nonce.data()), nonce.size());
    return header;
}

std::string with_challenge(Type type, const Nonce& nonce, const Challenge& challenge)
{
    std::string datagram = header_of(type, nonce);
    datagram.append(reinterpret_cast<const char*>(challenge.data()), challenge.size());
    return datagram;
}

std::int64_t milliseconds(Clock::time_point time)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(time.time_since_epoch()).count();
}

// Zero-terminated pieces, in pairs, from `at` to `end`.
void read_pairs(const char* at, const char* end, StatusPairs& pairs)
{
    std::string piece[2];
    int filled = 0;
    while (at < end) {
        const char* zero = static_cast<const char*>(std::memchr(at, 0, static_cast<std::size_t>(end - at)));
        if (!zero)
            return;
        piece[filled++].assign(at, zero);
        at = zero + 1;
        if (filled == 2) {
            pairs.emplace_back(std::move(piece[0]), std::move(piece[1]));
            filled = 0;
        }
    }
}
}

bool is_status_query(const char* data, std::size_t size)
{
    return data && size >= prefix_size && std::memcmp(data, prefix, prefix_size) == 0;
}

Datagram parse(const char* data, std::size_t size)
{
    Datagram datagram;
    if (!is_status_query(data, size) || size < header_size)
        return datagram;
    const auto type = static_cast<Type>(data[prefix_size]);
    const bool sized = type == Type::status ? size >= status_header && size <= max_status_size
                                            : size == query_size;
    if (type < Type::challenge_request || type > Type::status || !sized)
        return datagram;
    datagram.type = type;
    const unsigned char* field = bytes_of(data) + prefix_size + 1;
    std::copy(field, field + nonce_size, datagram.nonce.begin());
    field += nonce_size;
    if (type == Type::challenge || type == Type::status_request)
        std::copy(field, field + challenge_size, datagram.challenge.begin());
    if (type == Type::status) {
        datagram.flags = *field;
        read_pairs(data + status_header, data + size, datagram.pairs);
    }
    return datagram;
}

std::string challenge_request(const Nonce& nonce)
{
    // Zeros where a status request has its challenge: padding.
    return with_challenge(Type::challenge_request, nonce, Challenge {});
}

std::string challenge_reply(const Nonce& nonce, const Challenge& challenge)
{
    return with_challenge(Type::challenge, nonce, challenge);
}

std::string status_request(const Nonce& nonce, const Challenge& challenge)
{
    return with_challenge(Type::status_request, nonce, challenge);
}

std::string status_reply(const Nonce& nonce, const StatusPairs& pairs)
{
    std::string datagram = header_of(Type::status, nonce);
    datagram += '\0';
    for (const auto& [key, value] : pairs) {
        const std::size_t key_size = std::strlen(key.c_str()), value_size = std::strlen(value.c_str());
        if (datagram.size() + key_size + value_size + 2 > max_status_size) {
            datagram[header_size] = static_cast<char>(status_cut);
            break;
        }
        datagram.append(key.c_str(), key_size + 1).append(value.c_str(), value_size + 1);
    }
    return datagram;
}

Server::Server()
{
    static_assert(sizeof slot_key == crypto_shorthash_KEYBYTES, "slots are found by SipHash");
    rcon::crypto_ready();
    randombytes_buf(secret, sizeof secret);
    randombytes_buf(slot_key, sizeof slot_key);
}

Server::~Server()
{
    sodium_memzero(secret, sizeof secret);
    sodium_memzero(slot_key, sizeof slot_key);
}

std::string Server::receive(const char* data, std::size_t size, const Peer& from, Clock::time_point now,
                            const std::function<void(StatusPairs&)>& fill)
{
    if (!is_status_query(data, size) || size != query_size || !admit(from.address, now))
        return "";
    const Datagram query = parse(data, size);
    if (query.type == Type::challenge_request)
        return challenge_reply(query.nonce, make_challenge(from, static_cast<std::uint64_t>(milliseconds(now))));
    if (query.type != Type::status_request)
        return "";
    // The time is anyone's bytes until the MAC vouches for it.
    const std::uint64_t issued = rcon::get_u64(query.challenge.data());
    const Challenge expected = make_challenge(from, issued);
    const auto issued_now = static_cast<std::uint64_t>(milliseconds(now));
    const auto lifetime = static_cast<std::uint64_t>(std::chrono::milliseconds(challenge_lifetime).count());
    if (sodium_memcmp(expected.data(), query.challenge.data(), challenge_size) != 0 || issued > issued_now
        || issued_now - issued > lifetime)
        return "";
    StatusPairs pairs;
    if (fill)
        fill(pairs);
    return status_reply(query.nonce, pairs);
}

bool Server::admit(std::uint32_t address, Clock::time_point now)
{
    const std::int64_t second = milliseconds(now) / 1000;
    if (second != total_second) {
        total_second = second;
        total_count = 0;
    }
    if (total_count >= in_total)
        return false;
    // Keyed, so that nobody can pick addresses that share a slot with
    // someone else's: an address that takes a slot over only restarts the
    // count of the one it displaced.
    unsigned char hash[crypto_shorthash_BYTES];
    crypto_shorthash(hash, reinterpret_cast<const unsigned char*>(&address), sizeof address, slot_key);
    std::uint64_t index = 0;
    std::memcpy(&index, hash, sizeof index);
    Slot& slot = slots[index % slots.size()];
    if (slot.address != address || slot.second != second)
        slot = {address, second, 0};
    if (slot.count >= per_address)
        return false;
    ++slot.count;
    ++total_count;
    return true;
}

Challenge Server::make_challenge(const Peer& from, std::uint64_t issued) const
{
    std::string covered(reinterpret_cast<const char*>(&from.address), sizeof from.address);
    covered += static_cast<char>(from.port >> 8 & 0xff);
    covered += static_cast<char>(from.port & 0xff);
    rcon::put_u64(covered, issued);
    Challenge challenge;
    std::copy(covered.end() - 8, covered.end(), challenge.begin());
    crypto_generichash(challenge.data() + 8, mac_size, bytes_of(covered.data()), covered.size(), secret,
                       sizeof secret);
    return challenge;
}

std::string Client::start(const Peer& server, Clock::time_point now)
{
    randombytes_buf(nonce.data(), nonce.size());
    peer = server;
    waiting = true;
    challenged = false;
    deadline = now + answer_time;
    return challenge_request(nonce);
}

bool Client::receive(const char* data, std::size_t size, const Peer& from, Clock::time_point now,
                     Progress& progress)
{
    if (!waiting || !(from == peer))
        return false;
    Datagram answer = parse(data, size);
    if (sodium_memcmp(answer.nonce.data(), nonce.data(), nonce_size) != 0)
        return false;
    if (answer.type == Type::challenge && !challenged) {
        challenged = true;
        deadline = now + answer_time;
        progress.send = status_request(nonce, answer.challenge);
        return true;
    }
    if (answer.type != Type::status || !challenged)
        return false;
    waiting = false;
    progress.finished = true;
    progress.cut = (answer.flags & status_cut) != 0;
    progress.pairs = std::move(answer.pairs);
    return true;
}

bool Client::overdue(Clock::time_point now)
{
    if (!waiting || now < deadline)
        return false;
    waiting = false;
    return true;
}
}

}  // namespace varnholt

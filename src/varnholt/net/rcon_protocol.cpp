#include "varnholt/net/rcon_protocol.h"

#include <algorithm>
#include <cstring>
#include <sodium.h>

namespace varnholt {

namespace rcon {
static_assert(key_size == crypto_aead_xchacha20poly1305_ietf_KEYBYTES, "the key is an AEAD key");
static_assert(nonce_size == crypto_aead_xchacha20poly1305_ietf_NPUBBYTES, "XChaCha20 nonces");
static_assert(tag_size == crypto_aead_xchacha20poly1305_ietf_ABYTES, "Poly1305 tags");

namespace {
const unsigned char* bytes_of(const char* data)
{
    return reinterpret_cast<const unsigned char*>(data);
}

std::string header_of(Type type)
{
    std::string header(reinterpret_cast<const char*>(prefix), prefix_size);
    header += static_cast<char>(type);
    return header;
}

template <std::size_t N>
void append(std::string& bytes, const std::array<unsigned char, N>& field)
{
    bytes.append(reinterpret_cast<const char*>(field.data()), N);
}
}

Key::~Key()
{
    sodium_memzero(bytes, sizeof bytes);
}

bool crypto_ready()
{
    static const bool ready = sodium_init() >= 0;
    return ready;
}

bool decode_key(const std::string& hex, Key& key)
{
    std::size_t decoded = 0;
    const char* end = nullptr;
    if (hex.size() == 2 * key_size && crypto_ready()
        && sodium_hex2bin(key.bytes, key_size, hex.data(), hex.size(), nullptr, &decoded, &end) == 0
        && decoded == key_size && end == hex.data() + hex.size() && !sodium_is_zero(key.bytes, key_size))
        return true;
    sodium_memzero(key.bytes, key_size);
    return false;
}

std::string generate_key_text()
{
    if (!crypto_ready())
        return "";
    Key key;
    randombytes_buf(key.bytes, key_size);
    char hex[2 * key_size + 1];
    sodium_bin2hex(hex, sizeof hex, key.bytes, key_size);
    std::string text(hex);
    sodium_memzero(hex, sizeof hex);
    return text;
}

bool is_remote_console(const char* data, std::size_t size)
{
    return data && size >= prefix_size && std::memcmp(data, prefix, prefix_size) == 0;
}

Type type_of(const char* data, std::size_t size)
{
    if (!is_remote_console(data, size) || size == prefix_size)
        return Type::unknown;
    const auto type = static_cast<Type>(data[prefix_size]);
    return type >= Type::hello && type <= Type::output ? type : Type::unknown;
}

std::string seal(const std::string& header, const std::string& plain, const Key& key)
{
    std::string sealed = header;
    sealed.resize(header.size() + nonce_size + plain.size() + tag_size);
    auto* nonce = reinterpret_cast<unsigned char*>(&sealed[header.size()]);
    randombytes_buf(nonce, nonce_size);
    unsigned long long written = 0;
    crypto_aead_xchacha20poly1305_ietf_encrypt(nonce + nonce_size, &written, bytes_of(plain.data()), plain.size(),
                                               bytes_of(header.data()), header.size(), nullptr, nonce, key.bytes);
    return sealed;
}

bool open(const char* data, std::size_t size, std::size_t header_size, const Key& key, std::string& plain)
{
    if (!data || size < header_size + nonce_size + tag_size)
        return false;
    const std::size_t sealed = size - header_size - nonce_size;
    plain.resize(sealed - tag_size);
    unsigned long long length = 0;
    const unsigned char* nonce = bytes_of(data) + header_size;
    // A zero-length payload still needs a place to be written to.
    unsigned char none = 0;
    unsigned char* into = plain.empty() ? &none : reinterpret_cast<unsigned char*>(&plain[0]);
    if (crypto_aead_xchacha20poly1305_ietf_decrypt(into, &length, nullptr, nonce + nonce_size, sealed,
                                                   bytes_of(data), header_size, nonce, key.bytes)
        != 0) {
        plain.clear();
        return false;
    }
    return true;
}

std::string hello(const Random& random, WallClock::time_point sent, const Key& key)
{
    std::string plain;
    append(plain, random);
    put_u64(plain, wall_milliseconds(sent));
    // Padded to the size of the reply, so answering it amplifies nothing.
    plain.resize(random_size + cookie_size, '\0');
    return seal(header_of(Type::hello), plain, key);
}

std::string cookie_reply(const Random& random, const Cookie& cookie, const Key& key)
{
    std::string plain;
    append(plain, random);
    append(plain, cookie);
    return seal(header_of(Type::cookie), plain, key);
}

std::string command(const Cookie& cookie, std::uint64_t sequence, const std::string& text, const Key& key)
{
    std::string header = header_of(Type::command);
    append(header, cookie);
    put_u64(header, sequence);
    return seal(header, text, key);
}

std::vector<std::string> output(const Cookie& cookie, std::uint64_t sequence, const std::string& text,
                                const Key& key)
{
    std::string common = header_of(Type::output);
    append(common, cookie);
    put_u64(common, sequence);
    std::vector<std::string> datagrams;
    for (std::size_t at = 0;;) {
        const std::size_t length = std::min(max_output_text, text.size() - at);
        const bool fits = at + length == text.size();
        const bool last = fits || datagrams.size() + 1 == max_outputs;
        std::string header = common;
        header += static_cast<char>(datagrams.size());
        header += static_cast<char>(last ? (fits ? output_last : output_last | output_cut) : 0);
        datagrams.push_back(seal(header, text.substr(at, length), key));
        if (last)
            return datagrams;
        at += length;
    }
}

bool read_header(const char* data, std::size_t size, Header& header)
{
    const Type type = type_of(data, size);
    const std::size_t needed = type == Type::output ? output_header : command_header;
    if ((type != Type::command && type != Type::output) || size < needed)
        return false;
    const unsigned char* field = bytes_of(data) + prefix_size + 1;
    std::copy(field, field + cookie_size, header.cookie.begin());
    header.sequence = get_u64(field + cookie_size);
    if (type == Type::output) {
        header.index = field[cookie_size + sequence_size];
        header.flags = field[cookie_size + sequence_size + 1];
    }
    return true;
}

void put_u64(std::string& bytes, std::uint64_t value)
{
    for (int shift = 56; shift >= 0; shift -= 8)
        bytes += static_cast<char>((value >> shift) & 0xff);
}

std::uint64_t get_u64(const unsigned char* bytes)
{
    std::uint64_t value = 0;
    for (int i = 0; i < 8; ++i)
        value = value << 8 | bytes[i];
    return value;
}

std::uint64_t wall_milliseconds(WallClock::time_point time)
{
    const auto since_1970 = std::chrono::duration_cast<std::chrono::milliseconds>(time.time_since_epoch()).count();
    return since_1970 > 0 ? static_cast<std::uint64_t>(since_1970) : 0;
}
}

}  // namespace varnholt

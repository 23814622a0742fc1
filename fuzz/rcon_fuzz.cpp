// Fuzz target: the remote console's datagram parser, verifier and client.
//
// Each input drives one server and one client through a few steps. A step
// hands raw bytes to both, or seals fuzzed fields with the shared key so
// that the checks behind the tag are reached too (cookies, sequences, the
// order and cut of output), or replays and alters a real hello or command
// from one of three addresses, or lets time pass (the client's clock
// drifting off the server's).
//
// Besides the sanitizers' checks, for every input:
// - nothing that is not sealed with the key is answered, run or taken;
// - an answer is never larger than the datagram it answers, and no hello
//   is answered twice;
// - a command runs only with a cookie the server issued to that very
//   sender, and only with a sequence above every one run with that cookie;
// - a command's output leaves in at most 16 datagrams of at most 1200
//   bytes, and the client hands over exactly its text, in order.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <map>
#include <numeric>
#include <set>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "varnholt/net/rcon_client.h"
#include "varnholt/net/rcon_server.h"
#include "tests/rcon_test_keys.h"

using namespace varnholt;

using namespace rcon;

namespace {
const Peer peers[] = {{0x0100007f, 5001}, {0x0100007f, 5002}, {0x0200000a, 5001}};

using rcon_test::keys;

struct Session {
    Server server;
    Client client;
    Clock::time_point now = rcon_test::t0;
    WallClock::time_point wall = rcon_test::wall0;
    std::string last_hello;
    std::string last_command;
    std::set<std::string> answered;             // hellos
    std::map<Cookie, const Peer*> issued;       // cookie -> the sender it went to
    std::map<Cookie, std::uint64_t> highest;  // the highest sequence run
};

// The output of a command that ran, to the client in any order: if the
// client asked for it, it hands over exactly the text, cut or whole.
void check_output(Session& s, const Server::Result& run, FuzzedDataProvider& in)
{
    const std::string text = in.ConsumeRandomLengthString(20000);
    const std::vector<std::string> datagrams = output(run.header.cookie, run.header.sequence, text, keys.right);
    FUZZ_CHECK(!datagrams.empty() && datagrams.size() <= static_cast<std::size_t>(max_outputs));
    std::vector<std::size_t> order(datagrams.size());
    std::iota(order.begin(), order.end(), 0);
    for (std::size_t i = 0; i + 1 < order.size(); ++i)
        std::swap(order[i], order[in.ConsumeIntegralInRange<std::size_t>(i, order.size() - 1)]);
    std::string joined;
    std::size_t lines = 0;
    Client::Progress last;
    for (std::size_t i : order) {
        FUZZ_CHECK(datagrams[i].size() <= max_datagram);
        Client::Progress progress;
        if (!s.client.receive(datagrams[i].data(), datagrams[i].size(), peers[0], keys.right, s.now, progress))
            return;
        for (const std::string& line : progress.lines)
            joined += (lines++ ? "\n" : "") + line;
        last = progress;
    }
    const std::size_t kept = std::min(text.size(), max_outputs * max_output_text);
    FUZZ_CHECK(last.finished && last.cut == (kept < text.size()));
    FUZZ_CHECK(joined == text.substr(0, joined.size()) && joined.size() + 1 >= kept);
}

// One datagram to the server, with the checks every answer and run must pass.
Server::Result deliver(Session& s, const std::string& datagram, const Peer& from)
{
    const Server::Result result = s.server.receive(datagram.data(), datagram.size(), from, &keys.right, s.now);
    FUZZ_CHECK(result.reply.size() <= datagram.size());
    if (result.verdict == Server::Verdict::answer) {
        FUZZ_CHECK(s.answered.insert(datagram).second);
        std::string plain;
        FUZZ_CHECK(open(result.reply.data(), result.reply.size(), prefix_size + 1, keys.right, plain));
        Cookie cookie;
        std::copy(plain.end() - cookie_size, plain.end(), cookie.begin());
        s.issued[cookie] = &from;
    }
    if (result.verdict == Server::Verdict::run) {
        const auto issued = s.issued.find(result.header.cookie);
        FUZZ_CHECK(issued != s.issued.end() && *issued->second == from);
        std::uint64_t& highest = s.highest[result.header.cookie];
        FUZZ_CHECK(result.header.sequence > highest);
        highest = result.header.sequence;
    }
    return result;
}
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider in(data, size);
    Session s;
    for (int step = 0; step < 16 && in.remaining_bytes() > 0; ++step) {
        const Peer& from = peers[in.ConsumeIntegralInRange<int>(0, 2)];
        const bool right_key = in.ConsumeBool();
        const Key& key = right_key ? keys.right : keys.wrong;
        switch (in.ConsumeIntegralInRange<int>(0, 5)) {
        case 0: {  // raw bytes to both sides
            const std::string raw = in.ConsumeRandomLengthString(1300);
            const Server::Result result = deliver(s, raw, from);
            FUZZ_CHECK(result.verdict == Server::Verdict::refused && result.reply.empty());
            Client::Progress progress;
            FUZZ_CHECK(!s.client.receive(raw.data(), raw.size(), from, keys.right, s.now, progress));
            break;
        }
        case 1: {  // a client's hello, answered and turned into its command
            const std::string request
                = s.client.start(peers[0], in.ConsumeRandomLengthString(1100), key, s.now, s.wall);
            s.last_hello = request;
            const Server::Result result = deliver(s, request, from);
            FUZZ_CHECK(result.verdict != Server::Verdict::answer || right_key);
            Client::Progress progress;
            if (s.client.receive(result.reply.data(), result.reply.size(), peers[0], keys.right, s.now, progress))
                s.last_command = progress.send;
            break;
        }
        case 2: {  // the last hello or command again, maybe altered, from anyone
            std::string datagram = in.ConsumeBool() ? s.last_command : s.last_hello;
            if (!datagram.empty() && in.ConsumeBool())
                datagram[in.ConsumeIntegralInRange<std::size_t>(0, datagram.size() - 1)] ^= in.ConsumeIntegral<char>();
            const Server::Result result = deliver(s, datagram, from);
            if (result.verdict == Server::Verdict::run)
                check_output(s, result, in);
            break;
        }
        case 3: {  // a sealed command with an issued or a fuzzed cookie
            Cookie cookie {};
            if (!s.issued.empty() && in.ConsumeBool()) {
                const auto pick = in.ConsumeIntegralInRange<std::size_t>(0, s.issued.size() - 1);
                cookie = std::next(s.issued.begin(), static_cast<long>(pick))->first;
            } else {
                in.ConsumeData(cookie.data(), cookie.size());
            }
            const std::uint64_t sequence = in.ConsumeIntegral<std::uint64_t>();
            deliver(s, command(cookie, sequence, in.ConsumeRandomLengthString(1100), key), from);
            break;
        }
        case 4: {  // a sealed datagram of any layout, to both sides
            std::string header(reinterpret_cast<const char*>(prefix), prefix_size);
            header += in.ConsumeRandomLengthString(80);
            const std::string datagram = seal(header, in.ConsumeRandomLengthString(1200), key);
            deliver(s, datagram, from);
            Client::Progress progress;
            s.client.receive(datagram.data(), datagram.size(), from, keys.right, s.now, progress);
            break;
        }
        default: {
            // The client's clock may step a minute and a half off either way.
            const std::chrono::milliseconds step(in.ConsumeIntegralInRange<int>(0, 200000));
            s.now += step;
            s.wall += step + std::chrono::milliseconds(in.ConsumeIntegralInRange<int>(-90000, 90000));
            s.client.overdue(s.now);
            break;
        }
        }
    }
    return 0;
}

// The remote console's client against a real verifier: the output it hands
// over, in order and whole, and the replies it leaves alone.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "varnholt/net/rcon_client.h"
#include "varnholt/net/rcon_server.h"
#include "rcon_test_keys.h"

using namespace varnholt;

using namespace rcon;

namespace {
using rcon_test::t0;
const Key& key = rcon_test::keys.right;
const Peer server_peer {0x0100007f, 27960};
const Peer client_peer {0x0100007f, 5001};

// A request for `text` carried through the handshake: the verifier's
// accepted command, and the client waiting for its output.
struct Exchange {
    Exchange()
    {
        const std::string request = client.start(server_peer, "status", key, t0, rcon_test::wall0);
        const std::string reply = server.receive(request.data(), request.size(), client_peer, &key, t0).reply;
        Client::Progress progress;
        EXPECT_TRUE(client.receive(reply.data(), reply.size(), server_peer, key, t0, progress));
        accepted = server.receive(progress.send.data(), progress.send.size(), client_peer, &key, t0);
        EXPECT_EQ(accepted.command, "status");
    }
    // Delivers the datagrams in `order` and collects what the client hands over.
    Client::Progress deliver(const std::vector<std::string>& datagrams, const std::vector<std::size_t>& order,
                             Clock::time_point now = t0)
    {
        Client::Progress all;
        for (std::size_t i : order) {
            Client::Progress progress;
            EXPECT_TRUE(client.receive(datagrams[i].data(), datagrams[i].size(), server_peer, key, now, progress));
            all.lines.insert(all.lines.end(), progress.lines.begin(), progress.lines.end());
            all.finished = progress.finished;
            all.cut = progress.cut;
        }
        return all;
    }

    Server server;
    Client client;
    Server::Result accepted;
};

std::string numbered_lines(int count)
{
    std::string text;
    for (int i = 0; i < count; ++i)
        text += "line " + std::to_string(1000 + i) + std::string(50, '-') + "\n";
    return text;
}
}

TEST(RconClient, OutputComesOutInOrderWholeLinesFirstAndCutWhenLong)
{
    const std::string three = numbered_lines(40);  // 60 bytes a line: three datagrams
    const struct {
        std::string text;
        std::vector<std::size_t> order;
        std::size_t lines;
        bool cut;
    } cases[] = {
        {"", {0}, 0, false},
        {"one\ntwo\n", {0}, 2, false},
        {"no line feed", {0}, 1, false},
        {three, {0, 1, 2}, 40, false},
        {three, {2, 0, 1}, 40, false},
        {numbered_lines(400), {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15}, 17552 / 60 + 1, true},
    };
    for (const auto& c : cases) {
        Exchange exchange;
        const std::vector<std::string> datagrams = output(exchange.accepted.header.cookie,
                                                          exchange.accepted.header.sequence, c.text, key);
        ASSERT_EQ(datagrams.size(), c.order.size());
        for (const std::string& datagram : datagrams)
            EXPECT_LE(datagram.size(), max_datagram);
        const Client::Progress got = exchange.deliver(datagrams, c.order);
        EXPECT_TRUE(got.finished);
        EXPECT_EQ(got.cut, c.cut);
        ASSERT_EQ(got.lines.size(), c.lines) << c.text.substr(0, 20);
        // Lines split between datagrams come out joined.
        std::string joined;
        for (const std::string& line : got.lines)
            joined += (&line == &got.lines.front() ? "" : "\n") + line;
        EXPECT_EQ(joined, c.text.substr(0, joined.size()));
        EXPECT_FALSE(exchange.client.busy());
    }
}

TEST(RconClient, LeavesAloneWhatIsNotItsRequestAndGivesUpAfterThreeSilentSeconds)
{
    Exchange exchange;
    const Cookie& cookie = exchange.accepted.header.cookie;
    Key other_key;
    const std::vector<std::string> two_parts = output(cookie, 1, std::string(max_output_text + 1, 'x'), key);
    const std::string& good = two_parts[1];
    Cookie other_cookie = cookie;
    other_cookie[0] ^= 1;
    const struct {
        const char* name;
        std::string datagram;
        Peer from;
    } strangers[] = {
        {"from another port", good, {server_peer.address, 27961}},
        {"other key", output(cookie, 1, "x", other_key)[0], server_peer},
        {"other sequence", output(cookie, 2, "x", key)[0], server_peer},
        {"other cookie", output(other_cookie, 1, "x", key)[0], server_peer},
        {"a cookie reply after the cookie", cookie_reply(Random {}, cookie, key), server_peer},
        {"truncated", good.substr(0, good.size() - 1), server_peer},
    };
    for (const auto& stranger : strangers) {
        Client::Progress progress;
        EXPECT_FALSE(exchange.client.receive(stranger.datagram.data(), stranger.datagram.size(), stranger.from, key,
                                             t0, progress))
            << stranger.name;
        EXPECT_TRUE(progress.lines.empty() && progress.send.empty()) << stranger.name;
    }
    // A new part puts the deadline off; copies of it do not.
    exchange.deliver(two_parts, {1}, t0 + std::chrono::seconds(1));
    exchange.deliver(two_parts, {1, 1}, t0 + std::chrono::seconds(3));
    EXPECT_FALSE(exchange.client.overdue(t0 + std::chrono::milliseconds(3999)));
    EXPECT_TRUE(exchange.client.overdue(t0 + std::chrono::seconds(4)));
    EXPECT_FALSE(exchange.client.busy());
    Client::Progress progress;
    EXPECT_FALSE(exchange.client.receive(good.data(), good.size(), server_peer, key, t0, progress));
}

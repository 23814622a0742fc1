// The public status query's server: what it answers, to whom, and how much.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "varnholt/net/status_query.h"

using namespace varnholt;
using namespace varnholt::status;
using std::chrono::milliseconds;

namespace {
const Peer browser {0x0100007f, 5000};
const Clock::time_point t0 {std::chrono::hours(1)};
const Nonce nonce {1, 2, 3, 4, 5, 6, 7, 8};

// More than a status holds: the answer is cut, never larger.
void fill(StatusPairs& pairs)
{
    pairs.emplace_back("hostname", "Test\x1b[2J");
    for (int i = 0; i < 40; ++i)
        pairs.emplace_back("key" + std::to_string(i), std::string(30, 'v'));
}

std::string send(Server& server, const std::string& query, const Peer& from, Clock::time_point now)
{
    return server.receive(query.data(), query.size(), from, now, fill);
}
}

TEST(StatusQuery, AnswersOnlyProvenAddressesAndNeverMoreThanAsked)
{
    // Each case: a fresh server hands `browser` a challenge at t0; then
    // `before` copies of the query go out, and the query itself at `after`.
    using Build = std::function<std::string(const Challenge&)>;
    const auto status_with = [](const Challenge& c) { return status_request(nonce, c); };
    const auto changed = [&](std::size_t at) {
        return Build([=](const Challenge& c) {
            std::string query = status_with(c);
            query[at] ^= 1;
            return query;
        });
    };
    const struct {
        const char* name;
        Build query;
        Peer from;
        milliseconds after;
        int before;
        Type answer;  // unknown: no answer
    } cases[] = {
        {"challenge request", [](const Challenge&) { return challenge_request(nonce); }, browser, {}, 0,
         Type::challenge},
        {"valid exchange", status_with, browser, milliseconds(1500), 0, Type::status},
        {"challenge at the end of its life", status_with, browser, milliseconds(10'000), 0, Type::status},
        {"stale challenge", status_with, browser, milliseconds(10'001), 0, Type::unknown},
        {"another port", status_with, {browser.address, 5001}, milliseconds(1500), 0, Type::unknown},
        {"another address", status_with, {0x0200007f, 5000}, milliseconds(1500), 0, Type::unknown},
        {"spoofed challenge: MAC", changed(query_size - 1), browser, milliseconds(1500), 0, Type::unknown},
        {"spoofed challenge: time", changed(header_size + 7), browser, milliseconds(1500), 0, Type::unknown},
        {"zero challenge", [](const Challenge&) { return status_request(nonce, {}); }, browser, {}, 0,
         Type::unknown},
        {"undersized", [](const Challenge&) { return challenge_request(nonce).substr(1); }, browser, {}, 0,
         Type::unknown},
        {"oversized", [](const Challenge&) { return challenge_request(nonce) + '\0'; }, browser, {}, 0,
         Type::unknown},
        {"largest datagram", [](const Challenge&) { return challenge_request(nonce) + std::string(65470, 0); },
         browser, {}, 0, Type::unknown},
        {"answer sent back", [](const Challenge& c) { return challenge_reply(nonce, c); }, browser, {}, 0,
         Type::unknown},
        {"unknown type", changed(prefix_size), browser, {}, 0, Type::unknown},
        {"within the limit per address", status_with, browser, milliseconds(1500), 3, Type::status},
        {"over the limit per address", status_with, browser, milliseconds(1500), 4, Type::unknown},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Server server;
        const std::string first = challenge_request(nonce);
        const Datagram challenge = parse(send(server, first, browser, t0).c_str(), query_size);
        ASSERT_EQ(challenge.type, Type::challenge);
        const std::string query = c.query(challenge.challenge);
        for (int i = 0; i < c.before; ++i)
            send(server, query, c.from, t0 + c.after);
        const std::string answer = send(server, query, c.from, t0 + c.after);
        const Datagram read = parse(answer.data(), answer.size());
        EXPECT_EQ(read.type, c.answer);
        EXPECT_EQ(answer.empty(), c.answer == Type::unknown);
        if (c.answer == Type::status) {
            EXPECT_LE(answer.size(), max_status_size);
            EXPECT_EQ(read.flags, status_cut);
            ASSERT_FALSE(read.pairs.empty());
            EXPECT_EQ(read.pairs[0], StatusPairs::value_type("hostname", "Test\x1b[2J"));
        } else {
            EXPECT_LE(answer.size(), query.size());
        }
        EXPECT_EQ(read.nonce, answer.empty() ? Nonce {} : nonce);
    }

    // The limit in total: the queries of many addresses within one second.
    Server server;
    const std::string query = challenge_request(nonce);
    int answered = 0;
    for (std::uint32_t sender = 1; sender <= 2 * Server::in_total; ++sender)
        answered += !send(server, query, {sender, 5000}, t0).empty();
    EXPECT_EQ(answered, Server::in_total);
    // Until the next second begins.
    EXPECT_TRUE(send(server, query, {0x7f000001, 6000}, t0 + milliseconds(999)).empty());
    EXPECT_FALSE(send(server, query, {0x7f000001, 6000}, t0 + milliseconds(1000)).empty());
}

// The remote console's verifier: which datagrams it answers, runs and
// refuses, and what it keeps per address and per cookie.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>

#include "varnholt/net/rcon_server.h"
#include "rcon_test_keys.h"

using namespace varnholt;

using namespace rcon;
using std::chrono::seconds;

namespace {
using rcon_test::keys;
using rcon_test::t0;
const Peer admin {0x0100007f, 5001};

// The cookie `server` hands to `from` for a good hello.
Cookie handshake(Server& server, const Peer& from, Clock::time_point now = t0)
{
    const std::string request = hello(Random {7}, keys.right);
    const Server::Result result = server.receive(request.data(), request.size(), from, &keys.right, now);
    EXPECT_EQ(result.verdict, Server::Verdict::answer);
    EXPECT_LE(result.reply.size(), request.size());
    std::string plain;
    EXPECT_TRUE(open(result.reply.data(), result.reply.size(), prefix_size + 1, keys.right, plain));
    Cookie cookie {};
    std::copy(plain.end() - cookie_size, plain.end(), cookie.begin());
    return cookie;
}

Server::Result send(Server& server, const std::string& datagram, const Peer& from = admin,
                    Clock::time_point now = t0, const Key* key = &keys.right)
{
    return server.receive(datagram.data(), datagram.size(), from, key, now);
}

std::string flip(std::string datagram, std::size_t at)
{
    datagram[at] ^= 0x20;
    return datagram;
}
}

TEST(RconServer, VerifierRunsOnlyFreshCommandsFromTheCookiesOwner)
{
    using Build = std::function<std::string(const Cookie&)>;
    const Build valid = [](const Cookie& c) { return command(c, 1, "status", keys.right); };
    struct Case {
        const char* name;
        Build build;
        bool earlier_sequence_5;  // a command with sequence 5 ran before
        Peer from;
        seconds later;
        Refusal refusal;          // none: runs
    } cases[] = {
        {"valid", valid, false, admin, seconds(0), Refusal::none},
        {"valid near the end of the cookie's life", valid, false, admin, seconds(119), Refusal::none},
        {"later sequence", [](const Cookie& c) { return command(c, 6, "x", keys.right); }, true, admin, seconds(0),
         Refusal::none},
        {"replayed", [](const Cookie& c) { return command(c, 5, "x", keys.right); }, true, admin, seconds(0),
         Refusal::replayed},
        {"older sequence", valid, true, admin, seconds(0), Refusal::replayed},
        {"from another address", valid, false, {0x0200007f, 5001}, seconds(0), Refusal::bad_cookie},
        {"from another port", valid, false, {admin.address, 5002}, seconds(0), Refusal::bad_cookie},
        {"expired", valid, false, admin, seconds(121), Refusal::expired},
        {"tampered text", [&](const Cookie& c) { return flip(valid(c), min_command_size); }, false, admin,
         seconds(0), Refusal::bad_tag},
        {"tampered sequence", [&](const Cookie& c) { return flip(valid(c), command_header - 1); }, false, admin,
         seconds(0), Refusal::bad_tag},
        {"tampered nonce", [&](const Cookie& c) { return flip(valid(c), command_header); }, false, admin,
         seconds(0), Refusal::bad_tag},
        {"tampered cookie", [&](const Cookie& c) { return flip(valid(c), prefix_size + 20); }, false, admin,
         seconds(0), Refusal::bad_cookie},
        {"tampered type", [&](const Cookie& c) { return flip(valid(c), prefix_size); }, false, admin, seconds(0),
         Refusal::malformed},
        {"wrong key", [](const Cookie& c) { return command(c, 1, "status", keys.wrong); }, false, admin,
         seconds(0), Refusal::bad_tag},
        {"truncated to the header", [&](const Cookie& c) { return valid(c).substr(0, min_command_size - 1); },
         false, admin, seconds(0), Refusal::malformed},
        {"truncated by a byte", [&](const Cookie& c) { return valid(c).substr(0, valid(c).size() - 1); }, false,
         admin, seconds(0), Refusal::bad_tag},
        {"longest", [](const Cookie& c) { return command(c, 1, std::string(max_command, 'x'), keys.right); },
         false, admin, seconds(0), Refusal::none},
        {"oversize", [](const Cookie& c) { return command(c, 1, std::string(max_command + 1, 'x'), keys.right); },
         false, admin, seconds(0), Refusal::malformed},
    };
    for (const Case& c : cases) {
        Server server;
        const Cookie cookie = handshake(server, admin);
        if (c.earlier_sequence_5) {
            ASSERT_EQ(send(server, command(cookie, 5, "x", keys.right)).verdict, Server::Verdict::run);
        }
        const std::string datagram = c.build(cookie);
        const Server::Result result = send(server, datagram, c.from, t0 + c.later);
        EXPECT_EQ(result.refusal, c.refusal) << c.name;
        EXPECT_EQ(result.verdict, c.refusal == Refusal::none ? Server::Verdict::run : Server::Verdict::refused)
            << c.name;
        EXPECT_TRUE(result.reply.empty()) << c.name;
        // Whatever ran once never runs again.
        if (c.refusal == Refusal::none) {
            EXPECT_EQ(send(server, datagram, c.from, t0 + c.later).refusal, Refusal::replayed) << c.name;
        }
    }
}

TEST(RconServer, OnlyAGoodHelloIsAnsweredAndNeverWithMoreBytes)
{
    const std::string good = hello(Random {}, keys.right);
    const struct {
        const char* name;
        std::string datagram;
        const Key* key;
        Refusal refusal;
    } cases[] = {
        {"good", good, &keys.right, Refusal::none},
        {"wrong key", hello(Random {}, keys.wrong), &keys.right, Refusal::bad_tag},
        {"tampered", flip(good, hello_size - 1), &keys.right, Refusal::bad_tag},
        {"truncated", good.substr(0, hello_size - 1), &keys.right, Refusal::malformed},
        {"padded", good + 'x', &keys.right, Refusal::malformed},
        {"prefix alone", good.substr(0, prefix_size), &keys.right, Refusal::malformed},
        {"unknown type", flip(good, prefix_size), &keys.right, Refusal::malformed},
        {"remote console off", good, nullptr, Refusal::off},
    };
    for (const auto& c : cases) {
        Server server;
        const Server::Result result = send(server, c.datagram, admin, t0, c.key);
        EXPECT_EQ(result.refusal, c.refusal) << c.name;
        EXPECT_LE(result.reply.size(), c.datagram.size()) << c.name;
        EXPECT_EQ(result.reply.empty(), c.refusal != Refusal::none) << c.name;
    }
}

TEST(RconServer, CookiesOfAnotherServerOrForgottenByThisOneStayVoid)
{
    Server server;
    Server before_restart;
    EXPECT_EQ(send(server, command(handshake(before_restart, admin), 1, "x", keys.right)).refusal,
              Refusal::bad_cookie);

    // Used cookies past the table's size push the oldest out, and every
    // cookie issued before it, used or not, is refused from then on.
    std::vector<Cookie> cookies;
    for (std::size_t i = 0; i < Server::max_cookies + 2; ++i)
        cookies.push_back(handshake(server, admin));
    for (std::size_t i = 1; i < cookies.size(); ++i)
        ASSERT_EQ(send(server, command(cookies[i], 1, "x", keys.right)).verdict, Server::Verdict::run);
    EXPECT_EQ(send(server, command(cookies[0], 1, "x", keys.right)).refusal, Refusal::expired);
    EXPECT_EQ(send(server, command(cookies[1], 1, "x", keys.right)).refusal, Refusal::expired);
    EXPECT_EQ(send(server, command(cookies.back(), 1, "x", keys.right)).refusal, Refusal::replayed);
    EXPECT_EQ(send(server, command(cookies.back(), 2, "x", keys.right)).refusal, Refusal::none);
}

TEST(RconServer, FailuresIgnoreTheirAddressForAMinuteAndNobodyElse)
{
    Server server;
    const Cookie cookie = handshake(server, admin);
    const Peer attacker {0x0900000a, 4000};
    const std::string garbage = hello(Random {}, keys.wrong);
    for (int i = 0; i < Server::failure_limit; ++i)
        EXPECT_EQ(send(server, garbage, attacker, t0 + seconds(i)).refusal, Refusal::bad_tag);
    // A flood from more addresses than the table holds.
    for (std::uint32_t i = 0; i < 3 * Server::max_addresses; ++i)
        send(server, garbage, {0x0a000000 + i, 1}, t0 + seconds(5));
    const std::string good = hello(Random {}, keys.right);
    EXPECT_EQ(send(server, good, attacker, t0 + seconds(6)).refusal, Refusal::ignored);
    EXPECT_EQ(send(server, command(cookie, 1, "x", keys.right), admin, t0 + seconds(6)).verdict,
              Server::Verdict::run);
    EXPECT_EQ(send(server, good, attacker, t0 + seconds(65)).verdict, Server::Verdict::answer);
}

TEST(RconServer, RefusalsAreWorthLoggingOnceInTenSecondsPerAddress)
{
    Server server;
    const std::string garbage = hello(Random {}, keys.wrong);
    const Peer other {0x0200007f, 5001};
    const struct {
        Peer from;
        double at;
        bool log;
    } steps[] = {{admin, 0, true}, {admin, 9.9, false}, {other, 9.9, true}, {admin, 10, true}, {admin, 19.9, false}};
    for (const auto& step : steps) {
        const auto now = t0 + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(step.at));
        EXPECT_EQ(send(server, garbage, step.from, now).log, step.log) << step.at;
    }
}

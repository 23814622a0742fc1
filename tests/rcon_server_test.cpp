// The remote console's verifier: which datagrams it answers, runs and
// refuses, and what it keeps per address and per cookie.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <sodium.h>
#include <string>

#include "varnholt/net/rcon_server.h"
#include "rcon_test_keys.h"

using namespace varnholt;

using namespace rcon;
using std::chrono::seconds;

namespace {
using rcon_test::keys;
using rcon_test::t0;
using rcon_test::wall0;
const Peer admin {0x0100007f, 5001};

Random fresh_random()
{
    Random random;
    randombytes_buf(random.data(), random.size());
    return random;
}

// The cookie `server` hands to `from` for a good hello.
Cookie handshake(Server& server, const Peer& from, Clock::time_point now = t0)
{
    const std::string request = hello(fresh_random(), wall0 + (now - t0), keys.right);
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
    const auto dated = [](seconds off) { return hello(Random {}, wall0 + off, keys.right); };
    const std::string good = dated(seconds(0));
    const struct {
        const char* name;
        std::string datagram;
        const Key* key;
        Refusal refusal;
        Peer sent_before_from = {};  // the same datagram was answered there first
    } cases[] = {
        {"good", good, &keys.right, Refusal::none},
        {"wrong key", hello(Random {}, wall0, keys.wrong), &keys.right, Refusal::bad_tag},
        {"tampered", flip(good, hello_size - 1), &keys.right, Refusal::bad_tag},
        {"truncated", good.substr(0, hello_size - 1), &keys.right, Refusal::malformed},
        {"padded", good + 'x', &keys.right, Refusal::malformed},
        {"prefix alone", good.substr(0, prefix_size), &keys.right, Refusal::malformed},
        {"unknown type", flip(good, prefix_size), &keys.right, Refusal::malformed},
        {"remote console off", good, nullptr, Refusal::off},
        {"answered before", good, &keys.right, Refusal::replayed, admin},
        {"answered before to another address", good, &keys.right, Refusal::replayed, {0x0900000a, 4000}},
        {"as old as a cookie's life and the clock tolerance", dated(-seconds(180)), &keys.right, Refusal::none},
        {"older", dated(-seconds(181)), &keys.right, Refusal::stale},
        {"ahead by the clock tolerance", dated(seconds(60)), &keys.right, Refusal::none},
        {"further ahead", dated(seconds(61)), &keys.right, Refusal::stale},
    };
    for (const auto& c : cases) {
        Server server;
        if (c.sent_before_from.port) {
            ASSERT_EQ(send(server, c.datagram, c.sent_before_from).verdict, Server::Verdict::answer) << c.name;
        }
        const Server::Result result = send(server, c.datagram, admin, t0, c.key);
        EXPECT_EQ(result.refusal, c.refusal) << c.name;
        EXPECT_LE(result.reply.size(), c.datagram.size()) << c.name;
        EXPECT_EQ(result.reply.empty(), c.refusal != Refusal::none) << c.name;
    }

    // A table full of live hellos refuses new ones until the old go stale.
    Server server;
    for (std::size_t i = 0; i < Server::max_hellos; ++i)
        ASSERT_EQ(send(server, hello(fresh_random(), wall0, keys.right)).verdict, Server::Verdict::answer);
    const std::string late = dated(seconds(1));
    EXPECT_EQ(send(server, late, admin, t0 + seconds(1)).refusal, Refusal::busy);
    EXPECT_EQ(send(server, late, admin, t0 + seconds(181)).verdict, Server::Verdict::answer);
}

TEST(RconServer, CookiesOfAnotherServerOrForgottenByThisOneStayVoid)
{
    Server server;
    Server before_restart;
    EXPECT_EQ(send(server, command(handshake(before_restart, admin), 1, "x", keys.right)).refusal,
              Refusal::bad_cookie);
    // Nor does it remember the hellos answered before it started.
    Server restarted(t0, wall0 + seconds(1));
    EXPECT_EQ(send(restarted, hello(Random {}, wall0, keys.right)).refusal, Refusal::stale);

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

TEST(RconServer, FailuresMuteTheLogOfTheirAddressButNeverItsGoodDatagrams)
{
    Server server;
    const Cookie cookie = handshake(server, admin);
    // Anyone sharing the administrator's address, from any port.
    const Peer attacker {admin.address, 4000};
    const std::string garbage = hello(Random {}, wall0, keys.wrong);
    for (int i = 0; i < Server::failure_limit; ++i)
        EXPECT_EQ(send(server, garbage, attacker, t0 + seconds(i)).refusal, Refusal::bad_tag);
    // A flood from more addresses than the table holds.
    for (std::uint32_t i = 0; i < 3 * Server::max_addresses; ++i)
        send(server, garbage, {0x0a000000 + i, 1}, t0 + seconds(5));
    const std::string good = hello(Random {}, wall0, keys.right);
    EXPECT_EQ(send(server, good, attacker, t0 + seconds(6)).verdict, Server::Verdict::answer);
    EXPECT_EQ(send(server, command(cookie, 1, "x", keys.right), admin, t0 + seconds(6)).verdict,
              Server::Verdict::run);
    EXPECT_FALSE(send(server, garbage, attacker, t0 + seconds(6)).log);
    EXPECT_TRUE(send(server, garbage, attacker, t0 + seconds(65)).log);
}

TEST(RconServer, RefusalsAreWorthLoggingOnceInTenSecondsPerAddressAndTenTimesASecondInAll)
{
    Server server;
    const std::string garbage = hello(Random {}, wall0, keys.wrong);
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

    // However many addresses send, a second has ten lines; the rest are
    // counted once that second is over.
    int lines = 0;
    for (std::uint32_t i = 0; i < 3 * Server::max_addresses; ++i)
        lines += send(server, garbage, {0x0a000000 + i, 1}, t0 + seconds(30)).log;
    EXPECT_EQ(lines, Server::log_lines_per_second);
    EXPECT_EQ(server.unlogged(t0 + std::chrono::milliseconds(30999)), 0u);
    EXPECT_EQ(server.unlogged(t0 + seconds(31)), 3 * Server::max_addresses - Server::log_lines_per_second);
}

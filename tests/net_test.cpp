// The network commands end to end: engines talking to each other and to a
// plain UDP socket of the test's own, all on loopback.
#include <gtest/gtest.h>

#include <memory>
#include <netdb.h>
#include <string>

#include "engine_process.h"
#include "temp_dir.h"
#include "udp_peer.h"

namespace {
class NetTest : public ::testing::Test {
protected:
    void SetUp() override { dir.write("data/init.cfg", ""); }

    // A running engine, past its first prompt.
    std::unique_ptr<EngineProcess> start()
    {
        auto engine = std::make_unique<EngineProcess>(dir.path());
        EXPECT_TRUE(engine->wait_for("] "));
        return engine;
    }

    // Runs one typed line and returns what it wrote, up to the next prompt.
    static std::string command(EngineProcess& engine, const std::string& line)
    {
        const std::size_t from = engine.output().size();
        engine.send(line + "\n");
        if (!engine.wait_for("] ", 10, from))
            return "(no prompt after \"" + line + "\")";
        return engine.output().substr(from);
    }

    static std::string report(int port, const std::string& size_and_text)
    {
        return "Packet from 127.0.0.1 " + std::to_string(port) + "\n" + size_and_text;
    }

    TempDir dir;
};

int other_free_port(int taken)
{
    int port = free_udp_port();
    while (port == taken)
        port = free_udp_port();
    return port;
}
}

TEST_F(NetTest, TwoEnginesTalkByAddressAndByName)
{
    const int p = free_udp_port();
    const int q = other_free_port(p);
    auto receiver = start();
    auto sender = start();
    ASSERT_EQ(command(*receiver, "n_open " + std::to_string(p)), "socket open\n] ");
    ASSERT_EQ(command(*sender, "n_open " + std::to_string(q)), "socket open\n] ");

    EXPECT_EQ(command(*sender, "n_send 127.0.0.1 " + std::to_string(p) + " hello"), "Sent 6 bytes\n] ");
    EXPECT_TRUE(receiver->wait_for(report(q, "6 bytes received\nhello\n"))) << receiver->output();

    EXPECT_EQ(command(*receiver, "n_send localhost " + std::to_string(q) + " hi"), "Sent 3 bytes\n] ");
    EXPECT_TRUE(sender->wait_for(report(p, "3 bytes received\nhi\n"))) << sender->output();
}

TEST_F(NetTest, OpeningAgainReleasesTheOldSocketFirst)
{
    const int p = free_udp_port();
    auto engine = start();
    EXPECT_EQ(command(*engine, "n_open " + std::to_string(p)), "socket open\n] ");
    // The same port again only works when the old socket is gone first.
    EXPECT_EQ(command(*engine, "n_open " + std::to_string(p)), "socket open\n] ");
    // No digits: the system's choice of port.
    EXPECT_EQ(command(*engine, "n_open abc"), "socket open\n] ");
    EXPECT_TRUE(UdpPeer(p).bound());
}

TEST_F(NetTest, SendsTheTextAndOneZeroByte)
{
    const int q = free_udp_port();
    UdpPeer peer;
    const std::string to_peer = "127.0.0.1 " + std::to_string(peer.port());
    auto engine = start();
    ASSERT_EQ(command(*engine, "n_open " + std::to_string(q)), "socket open\n] ");

    EXPECT_EQ(command(*engine, "n_send " + to_peer + " hello"), "Sent 6 bytes\n] ");
    int sender_port = 0;
    EXPECT_EQ(peer.receive(10, &sender_port), std::string("hello", 6));
    EXPECT_EQ(sender_port, q);

    // A quoted text is one argument, and words after it are ignored.
    EXPECT_EQ(command(*engine, "n_send " + to_peer + " \"hello big world\" extra"), "Sent 16 bytes\n] ");
    EXPECT_EQ(peer.receive(), std::string("hello big world", 16));
}

TEST_F(NetTest, ReportsEveryDatagramOfAPeerWhole)
{
    const int q = free_udp_port();
    UdpPeer peer;
    auto engine = start();
    ASSERT_EQ(command(*engine, "n_open " + std::to_string(q)), "socket open\n] ");

    // Both arrive before the engine's next frame; each gets its own report.
    const std::size_t from = engine->output().size();
    peer.send_to(q, "first");
    peer.send_to(q, std::string("second\0tail", 11));
    peer.send_to(q, "");
    EXPECT_TRUE(engine->wait_for(report(peer.port(), "5 bytes received\nfirst\n")
                                     + report(peer.port(), "11 bytes received\nsecond\n")
                                     + report(peer.port(), "0 bytes received\n\n"),
                                 10, from))
        << engine->output();
}

TEST_F(NetTest, ControlBytesFromAPeerAreEscaped)
{
    const int q = free_udp_port();
    UdpPeer peer;
    auto engine = start();
    ASSERT_EQ(command(*engine, "n_open " + std::to_string(q)), "socket open\n] ");

    const std::size_t from = engine->output().size();
    peer.send_to(q, "\x1b]0;title\x07red\x1b[31m\x7f\tok \\ caf\xc3\xa9\r");
    EXPECT_TRUE(engine->wait_for(report(peer.port(), "31 bytes received\n")
                                     + "\\x1b]0;title\\x07red\\x1b[31m\\x7f\\x09ok \\ caf\xc3\xa9\\x0d\n",
                                 10, from))
        << engine->output();
    EXPECT_EQ(engine->output().find('\x1b'), std::string::npos);

    // 8-bit controls too (0x9b is a CSI on some terminals), raw or as UTF-8;
    // other UTF-8 text stays readable.
    const std::size_t second = engine->output().size();
    peer.send_to(q, "A\x9b" "31mB \xc2\x9b" "31mC \xc3\xa9 \xe2\x82\xac \xe6\x97\xa5\xe6\x9c\xac");
    EXPECT_TRUE(engine->wait_for(report(peer.port(), "27 bytes received\n")
                                     + "A\\x9b31mB \\xc2\\x9b31mC \xc3\xa9 \xe2\x82\xac \xe6\x97\xa5\xe6\x9c\xac\n",
                                 10, second))
        << engine->output();
}

TEST_F(NetTest, PortThatIsTakenIsReportedAndTheSocketCannotSend)
{
    UdpPeer holder;
    const std::string held = std::to_string(holder.port());
    auto engine = start();
    EXPECT_EQ(command(*engine, "n_open " + held),
              "Error opening socket on port " + held + ": Address already in use\n] ");
    EXPECT_EQ(command(*engine, "n_send 127.0.0.1 " + held + " x"), "Error sending packet: socket not open\n] ");
    EXPECT_FALSE(holder.receive(0.2));
}

TEST_F(NetTest, PortsOutOfRangeAreRefusedAndTheSocketIsKept)
{
    UdpPeer peer;
    // Each of these would reach the peer if the number were cut to 16 or
    // 32 bits.
    const std::string wraps_16 = std::to_string(65536 + peer.port());
    const std::string wraps_32 = std::to_string(4294967296LL + peer.port());
    auto engine = start();
    ASSERT_EQ(command(*engine, "n_open 0"), "socket open\n] ");

    for (const std::string& port : {std::string("65536"), std::string("-1"), wraps_32,
                                    std::string("99999999999999999999999")})
        EXPECT_EQ(command(*engine, "n_open " + port),
                  "Error opening socket on port " + port + ": port out of range\n] ");
    for (const std::string& port : {wraps_16, wraps_32})
        EXPECT_EQ(command(*engine, "n_send 127.0.0.1 " + port + " lost"),
                  "Error sending packet: port out of range\n] ");

    EXPECT_EQ(command(*engine, "n_send 127.0.0.1 " + std::to_string(peer.port()) + " kept"), "Sent 5 bytes\n] ");
    EXPECT_EQ(peer.receive(), std::string("kept", 5));
}

TEST_F(NetTest, UnresolvableHostCannotBeSentTo)
{
    auto engine = start();
    ASSERT_EQ(command(*engine, "n_open 0"), "socket open\n] ");
    // The resolver's reason: no such name, or no name server to ask.
    const std::string sent = command(*engine, "n_send no-such-host.invalid 5000 x");
    EXPECT_TRUE(sent == "Error sending packet: " + std::string(gai_strerror(EAI_NONAME)) + "\n] "
                || sent == "Error sending packet: " + std::string(gai_strerror(EAI_AGAIN)) + "\n] ")
        << sent;
}

TEST_F(NetTest, NoSocketOrTooFewArgumentsIsSilent)
{
    UdpPeer peer;
    const std::string port = std::to_string(peer.port());
    auto engine = start();
    EXPECT_EQ(command(*engine, "n_send 127.0.0.1 " + port + " x"), "] ");
    EXPECT_EQ(command(*engine, "n_open"), "] ");
    ASSERT_EQ(command(*engine, "n_open 0"), "socket open\n] ");
    EXPECT_EQ(command(*engine, "n_send 127.0.0.1 " + port), "] ");
    EXPECT_FALSE(peer.receive(0.2));
}

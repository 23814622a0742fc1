// The network commands end to end: engines talking to each other and to a
// plain UDP socket of the test's own, all on loopback.
#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <memory>
#include <netdb.h>
#include <string>

#include "black_box.h"
#include "udp_peer.h"

namespace {
using NetTest = BlackBoxTest;
}

TEST_F(NetTest, TwoEnginesTalkByAddressAndByName)
{
    auto receiver = start();
    auto sender = start();
    const int p = open_socket(*receiver);
    const int q = open_socket(*sender);
    ASSERT_TRUE(p && q);

    EXPECT_EQ(command(*sender, "n_send 127.0.0.1 " + std::to_string(p) + " hello"), "Sent 6 bytes\n] ");
    EXPECT_TRUE(receiver->wait_for(datagram_report(q, "6 bytes received\nhello\n"))) << receiver->output();

    EXPECT_EQ(command(*receiver, "n_send localhost " + std::to_string(q) + " hi"), "Sent 3 bytes\n] ");
    EXPECT_TRUE(sender->wait_for(datagram_report(p, "3 bytes received\nhi\n"))) << sender->output();
}

TEST_F(NetTest, OpeningAgainKeepsTheOldSocketUntilANewOneOpens)
{
    auto engine = start();
    const int p = open_socket(*engine);
    ASSERT_NE(p, 0);
    EXPECT_EQ(open_socket(*engine, p), p);
    // A port someone else holds leaves the old socket open and in use.
    UdpPeer holder;
    const std::string held = std::to_string(holder.port());
    EXPECT_EQ(command(*engine, "n_open " + held),
              "Error opening socket on port " + held + ": Address already in use\n] ");
    holder.send_to(p, "still");
    EXPECT_TRUE(engine->wait_for(datagram_report(holder.port(), "5 bytes received\nstill\n"))) << engine->output();
    // No digits: the system's choice of port.
    EXPECT_EQ(command(*engine, "n_open abc"), "socket open\n] ");
    EXPECT_TRUE(UdpPeer(p).bound());
}

TEST_F(NetTest, SendsTheTextAndOneZeroByte)
{
    UdpPeer peer;
    const std::string to_peer = "127.0.0.1 " + std::to_string(peer.port());
    auto engine = start();
    const int q = open_socket(*engine);
    ASSERT_NE(q, 0);

    EXPECT_EQ(command(*engine, "n_send " + to_peer + " hello"), "Sent 6 bytes\n] ");
    int sender_port = 0;
    EXPECT_EQ(peer.receive(10, &sender_port), std::string("hello", 6));
    EXPECT_EQ(sender_port, q);

    // A quoted text is one argument, and words after it are ignored.
    EXPECT_EQ(command(*engine, "n_send " + to_peer + " \"hello big world\" extra"), "Sent 16 bytes\n] ");
    EXPECT_EQ(peer.receive(), std::string("hello big world", 16));
}

TEST_F(NetTest, DatagramsAreReportedWholeAndEscaped)
{
    std::string largest(65507, ' ');
    for (std::size_t i = 0; i < largest.size(); ++i)
        largest[i] = static_cast<char>('A' + i % 26);
    const struct {
        std::string payload;
        std::string report;  // after the heading
    } cases[] = {
        {"first", "5 bytes received\nfirst\n"},
        {std::string("second\0tail", 11), "11 bytes received\nsecond\n"},
        {"", "0 bytes received\n\n"},
        // Anyone may send anything: no byte of it may reach the terminal as
        // a control.
        {"\x1b]0;title\x07red\x1b[31m\x7f\tok \\ caf\xc3\xa9\r",
         "31 bytes received\n\\x1b]0;title\\x07red\\x1b[31m\\x7f\\x09ok \\ caf\xc3\xa9\\x0d\n"},
        // 8-bit controls too (0x9b is a CSI on some terminals), raw or as
        // UTF-8; other UTF-8 text stays readable.
        {"A\x9b" "31mB \xc2\x9b" "31mC \xc3\xa9 \xe2\x82\xac \xe6\x97\xa5\xe6\x9c\xac",
         "27 bytes received\nA\\x9b31mB \\xc2\\x9b31mC \xc3\xa9 \xe2\x82\xac \xe6\x97\xa5\xe6\x9c\xac\n"},
        {largest, "65507 bytes received\n" + largest + "\n"},
    };
    UdpPeer peer;
    auto engine = start();
    const int q = open_socket(*engine);
    ASSERT_NE(q, 0);

    // All arrive before the engine's next frame; each gets its own report.
    const std::size_t from = engine->output().size();
    std::string reports;
    for (const auto& one : cases) {
        ASSERT_TRUE(peer.send_to(q, one.payload));
        reports += datagram_report(peer.port(), one.report);
    }
    EXPECT_TRUE(engine->wait_for(reports, 20, from)) << engine->output().substr(from, 2000);
    EXPECT_EQ(engine->output().find('\x1b'), std::string::npos);
}

TEST_F(NetTest, SocketAndAddressErrorsAreReportedAndSendNothing)
{
    // The peer holds its port, so the engine cannot open that one.
    UdpPeer peer;
    const std::string held = std::to_string(peer.port());
    const std::string to_peer = "n_send 127.0.0.1 " + held;
    // Each of these would reach the peer if the number were cut to 16 or
    // 32 bits.
    const std::string wraps_16 = std::to_string(65536 + peer.port());
    const std::string wraps_32 = std::to_string(4294967296LL + peer.port());
    const std::string out_of_range = ": port out of range\n";
    const std::string not_sent = "Error sending packet: ";
    const struct {
        std::string line;
        std::string expected;
        std::string also_accepted = "";
    } cases[] = {
        // No socket, or too few arguments: not a word.
        {to_peer + " x", ""},
        {"n_open", ""},
        {"n_open " + held, "Error opening socket on port " + held + ": Address already in use\n"},
        {to_peer + " x", not_sent + "socket not open\n"},
        {"n_open 0", "socket open\n"},
        {to_peer, ""},
        // Refused before the open socket goes.
        {"n_open 65536", "Error opening socket on port 65536" + out_of_range},
        {"n_open -1", "Error opening socket on port -1" + out_of_range},
        {"n_open " + wraps_32, "Error opening socket on port " + wraps_32 + out_of_range},
        {"n_open 99999999999999999999999", "Error opening socket on port 99999999999999999999999" + out_of_range},
        {"n_send 127.0.0.1 " + wraps_16 + " lost", "Error sending packet" + out_of_range},
        {"n_send 127.0.0.1 " + wraps_32 + " lost", "Error sending packet" + out_of_range},
        // The resolver's reason: no such name, or no name server to ask.
        {"n_send no-such-host.invalid 5000 x", not_sent + gai_strerror(EAI_NONAME) + "\n",
         not_sent + gai_strerror(EAI_AGAIN) + "\n"},
        {to_peer + " kept", "Sent 5 bytes\n"},
    };
    auto engine = start();
    for (const auto& one : cases) {
        const std::string said = command(*engine, one.line);
        if (one.also_accepted.empty() || said != one.also_accepted + "] ") {
            EXPECT_EQ(said, one.expected + "] ") << one.line;
        }
    }
    // Nothing before it reached the peer.
    EXPECT_EQ(peer.receive(), std::string("kept", 5));
}

TEST_F(NetTest, IdleEngineAnswersADatagramAndAStopPromptly)
{
    for (const auto input : {EngineProcess::Input::pipe, EngineProcess::Input::dev_null}) {
        const int port = free_udp_port();
        dir.write("data/default.cfg", "");
        EngineProcess engine(dir.path(), input, -1, {"+n_open", std::to_string(port)});
        ASSERT_TRUE(engine.wait_for("socket open\n")) << engine.output();
        // Long enough for the engine to be waiting for input.
        engine.collect_for(0.3);
        UdpPeer().send_to(port, "wake");
        EXPECT_TRUE(engine.wait_for("4 bytes received\nwake\n", 2)) << engine.output();
        engine.collect_for(0.3);
        engine.signal(SIGTERM);
        EXPECT_EQ(engine.wait_exit(2), 0);
        EXPECT_NE(saved(), "");
    }
}

namespace {
const std::string key_a = "00112233445566778899aabbccddeeff00112233445566778899aabbccddeeff";
const std::string key_b = "ffeeddccbbaa99887766554433221100ffeeddccbbaa99887766554433221100";

// Two engines that share key_a: a server on port `server_port` and a client
// on `client_port`.
class RemoteConsoleTest : public BlackBoxTest {
protected:
    void SetUp() override { init("rcon_key " + key_a + "\n"); }

    // Only the server serves: the client holds the key for rcon alone.
    void start_both()
    {
        server = start();
        client = start();
        ASSERT_EQ(command(*server, "rcon_serve 1"), "] ");
        server_port = open_socket(*server);
        client_port = open_socket(*client);
        ASSERT_TRUE(server_port && client_port);
        to_server = "rcon 127.0.0.1 " + std::to_string(server_port) + " ";
        from_client = "127.0.0.1 " + std::to_string(client_port);
    }

    int server_port = 0;
    int client_port = 0;
    std::string to_server;    // an rcon line to the server, up to its command
    std::string from_client;  // the client as the server names it
    std::unique_ptr<EngineProcess> server;
    std::unique_ptr<EngineProcess> client;
};
}

TEST_F(RemoteConsoleTest, CommandRunsOnTheServerAndItsOutputComesBackEscaped)
{
    start_both();
    // The answer may follow the prompt before the prompt has been read.
    EXPECT_EQ(command(*client, to_server + "\"echo hello  there\"").substr(0, 2), "] ");
    EXPECT_TRUE(client->wait_for("] hello there \n")) << client->output();
    EXPECT_TRUE(server->wait_for("Remote command from " + from_client + ": echo hello  there\nhello there \n"));

    // Words after the port are joined by blanks; the server's escape bytes
    // reach the client's terminal only as text.
    EXPECT_EQ(command(*client, to_server + "echo red\x1b[31m \"\xc2\x9b\" caf\xc3\xa9").substr(0, 2), "] ");
    EXPECT_TRUE(client->wait_for("] red\\x1b[31m \\xc2\\x9b caf\xc3\xa9 \n")) << client->output();
    EXPECT_TRUE(server->wait_for(from_client + ": echo red\\x1b[31m \\xc2\\x9b caf\xc3\xa9\n"));
    EXPECT_EQ(client->output().find("Packet from"), std::string::npos);

    // A key made on the server would be printed into its log.
    EXPECT_EQ(command(*client, to_server + "rcon_keygen").substr(0, 2), "] ");
    EXPECT_TRUE(client->wait_for("] rcon_keygen refused over the remote console: its key would show in this "
                                 "server's log\n"));
    EXPECT_TRUE(server->wait_for(": rcon_keygen\nrcon_keygen refused over the remote console")) << server->output();

    // Nor does a command that sets the key show it there.
    EXPECT_EQ(command(*client, to_server + "\"set rcon_key " + key_a + "\"").substr(0, 2), "] ");
    EXPECT_TRUE(server->wait_for(from_client + ": (not shown: it may set a secret)\n")) << server->output();
    EXPECT_EQ(server->output().find(key_a), std::string::npos);
}

TEST_F(RemoteConsoleTest, WrongKeyIsRefusedAndNeverAnswered)
{
    start_both();
    EXPECT_EQ(command(*client, "rcon_key " + key_b), "] ");
    EXPECT_EQ(command(*client, to_server + "echo never"), "] ");
    EXPECT_TRUE(client->wait_for("No answer from 127.0.0.1 " + std::to_string(server_port) + " within 3 seconds\n"))
        << client->output();
    EXPECT_TRUE(server->wait_for("Refused remote console datagram from " + from_client + ": bad tag\n"));
    EXPECT_EQ(server->output().find("never"), std::string::npos);
}

TEST_F(RemoteConsoleTest, ReplayedTamperedAndMovedCommandsRunNothing)
{
    start_both();
    // The client talks to the server through a relay that keeps a copy.
    UdpPeer relay;
    const auto pass = [&](int to) {
        const auto datagram = relay.receive();
        EXPECT_TRUE(datagram && relay.send_to(to, *datagram));
        return datagram.value_or("");
    };
    EXPECT_EQ(command(*client, "rcon 127.0.0.1 " + std::to_string(relay.port()) + " \"echo once\""), "] ");
    const std::string greeting = pass(server_port);     // hello
    pass(client_port);                                  // cookie
    const std::string captured = pass(server_port);     // command
    pass(client_port);                                  // output
    ASSERT_TRUE(client->wait_for("] once \n")) << client->output();

    std::string tampered = captured;
    tampered.back() ^= 1;
    UdpPeer elsewhere;
    relay.send_to(server_port, captured);
    relay.send_to(server_port, greeting);
    relay.send_to(server_port, tampered);
    elsewhere.send_to(server_port, greeting);
    elsewhere.send_to(server_port, std::string("\0VRC", 4));
    // The only datagram reported; the server takes them in order, one a frame.
    elsewhere.send_to(server_port, std::string("\0", 1));
    // The client holds the key too, but serves nobody.
    relay.send_to(client_port, greeting);
    EXPECT_TRUE(server->wait_for(datagram_report(elsewhere.port(), "1 bytes received\n\n"))) << server->output();
    EXPECT_EQ(count_of(server->output(), "Packet from"), 1);
    EXPECT_EQ(count_of(server->output(), "Remote command"), 1) << server->output();
    // Logged once in ten seconds per address, and when the fifth failure mutes it.
    EXPECT_EQ(count_of(server->output(), "Refused remote console datagram from 127.0.0.1 "
                                             + std::to_string(relay.port()) + ": replayed\n"),
              1);
    EXPECT_EQ(count_of(server->output(), ": malformed; too many failures, more from this address not logged"), 1);
    EXPECT_EQ(count_of(server->output(), "Refused"), 2);
    EXPECT_TRUE(client->wait_for(": not serving: rcon_serve is 0 or rcon_key holds no key\n"));

    // A restarted server has a new secret: the old cookie is void.
    server->send("quit\n");
    ASSERT_EQ(server->wait_exit(), 0);
    server = start();
    ASSERT_EQ(open_socket(*server, server_port), server_port);
    ASSERT_EQ(command(*server, "rcon_serve 1"), "] ");
    relay.send_to(server_port, captured);
    EXPECT_TRUE(server->wait_for(": bad cookie\n")) << server->output();

    EXPECT_EQ(server->output().find("Remote command"), std::string::npos);
    EXPECT_FALSE(relay.receive(0.2));
    EXPECT_FALSE(elsewhere.receive(0.2));
}

TEST_F(RemoteConsoleTest, OutputOverSixteenDatagramsIsCutWithALine)
{
    std::string script;
    for (int i = 0; i < 400; ++i)
        script += "echo line " + std::to_string(1000 + i) + std::string(60, '.') + "\n";
    dir.write("data/big.cfg", script);
    start_both();
    EXPECT_EQ(command(*client, to_server + "\"exec big.cfg\"").substr(0, 2), "] ");
    EXPECT_TRUE(client->wait_for("Output cut: more than 16 datagrams\n")) << client->output().substr(0, 300);
    // 16 datagrams hold 17,552 bytes: 247 lines of 71 bytes and 15 of the next.
    const std::string& out = client->output();
    const std::size_t first = out.find("] line 1000" + std::string(60, '.') + " \nline 1001");
    const std::size_t cut = out.find("\nline 1247......\nOutput cut");
    ASSERT_NE(first, std::string::npos);
    ASSERT_NE(cut, std::string::npos);
    EXPECT_EQ(std::count(out.begin() + first, out.begin() + cut + 1, '\n'), 247);
    EXPECT_TRUE(server->wait_for("line 1399"));
}

TEST_F(RemoteConsoleTest, ClientRefusesWhatItCannotSendAndHidesTheKey)
{
    auto engine = start();
    const std::string zeros(64, '0');
    const std::pair<std::string, std::string> cases[] = {
        {"rcon 127.0.0.1 5000 status", "No socket: open one with n_open first\n"},
        {"n_open 0", "socket open\n"},
        {"rcon 127.0.0.1 5000", "Usage: rcon host port command\n"},
        {"rcon 127.0.0.1 70000 status", "Error sending packet: port out of range\n"},
        {"rcon_key", "rcon_key: (hidden)    default: \n"},
        {"echo $rcon_key", "(hidden) \n"},
        {"rcon_key 0123", ""},
        {"rcon 127.0.0.1 5000 status", "rcon_key holds no key: set it to 64 hexadecimal digits\n"},
        {"reset rcon_key", "rcon_key reset to default value\n"},
        {"rcon_key " + zeros, "rcon_key of all zeros refused: make a key with rcon_keygen\n"},
        {"rcon_key", "rcon_key:     default: \n"},
    };
    for (const auto& [line, expected] : cases)
        EXPECT_EQ(command(*engine, line), expected + "] ") << line;
    const std::string generated = command(*engine, "rcon_keygen");
    EXPECT_EQ(generated.size(), 64 + 3) << generated;
    EXPECT_EQ(generated.find_first_not_of("0123456789abcdef"), 64u) << generated;
    EXPECT_NE(command(*engine, "rcon_keygen"), generated);
}

// The public status query, whose bytes docs/status-query.md lays out.
namespace {
const std::string status_prefix("\0VSQ", 4);
const std::string test_nonce = "nonce-01";

std::string status_query(char type, const std::string& challenge = std::string(24, '\0'))
{
    return status_prefix + type + test_nonce + challenge;
}
}

TEST_F(NetTest, StatusQueryAnswersOnlyWhenOnAndItsClientEscapesWhatItShows)
{
    auto server = start();
    auto client = start();
    const int p = open_socket(*server);
    const int q = open_socket(*client);
    ASSERT_TRUE(p && q);
    // Off: a query gets nothing, and is not reported as a datagram either.
    UdpPeer browser;
    browser.send_to(p, status_query(1));
    EXPECT_EQ(browser.receive(0.3), std::nullopt);
    EXPECT_EQ(command(*server, "sv_status 1"), "] ");
    command(*server, "set sv_hostname \"Test server\"");
    EXPECT_EQ(server->output().find("Packet from"), std::string::npos) << server->output();

    // A browser's two steps, each answer no larger than its query.
    browser.send_to(p, status_query(1));
    const auto challenge = browser.receive();
    ASSERT_TRUE(challenge);
    EXPECT_EQ(challenge->size(), 37u);
    EXPECT_EQ(challenge->substr(0, 13), status_prefix + '\2' + test_nonce);
    browser.send_to(p, status_query(3, challenge->substr(13)));
    const auto status = browser.receive();
    ASSERT_TRUE(status);
    EXPECT_EQ(status->substr(0, 14), status_prefix + '\4' + test_nonce + '\0');
    EXPECT_EQ(status->substr(14, 34), std::string("hostname\0Test server\0engine\0Varnholt\0", 37).substr(0, 34));

    // The status command, against the engine and against a hostile server.
    const std::string report = "Status of 127.0.0.1 " + std::to_string(p) + ":\nhostname: Test server\nengine: Varnholt\n";
    EXPECT_EQ(command(*client, "status 127.0.0.1 " + std::to_string(p)), "] ");
    EXPECT_TRUE(client->wait_for(report)) << client->output();
    UdpPeer hostile;
    command(*client, "status localhost " + std::to_string(hostile.port()));
    const auto first = hostile.receive();
    ASSERT_TRUE(first && first->size() == 37);
    const std::string nonce = first->substr(5, 8);
    hostile.send_to(q, status_prefix + '\2' + nonce + std::string(24, 'c'));
    const auto second = hostile.receive();
    ASSERT_TRUE(second);
    EXPECT_EQ(*second, status_prefix + '\3' + nonce + std::string(24, 'c'));
    hostile.send_to(q, status_prefix + '\4' + nonce + '\1' + std::string("name\x1b[2J\0\x9b" "31m\0", 14));
    EXPECT_TRUE(client->wait_for("Status of 127.0.0.1 " + std::to_string(hostile.port())
                                 + ":\nname\\x1b[2J: \\x9b31m\nStatus cut: more than 1200 bytes\n"))
        << client->output();
}

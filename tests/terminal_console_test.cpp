// The engine on a pseudo-terminal, as a user at a terminal meets it:
// completion, history across restarts, output while a line is half-typed,
// the keys that discard a line or end the engine, and the terminal mode it
// leaves behind on every way out.
#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <sys/stat.h>

#include "black_box.h"
#include "pack_writer.h"
#include "udp_peer.h"

namespace {
// Roughly what the screen shows of `raw`: escape sequences, carriage
// returns, bells and backspaces left out.
std::string screen_text(const std::string& raw)
{
    std::string text;
    for (std::size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] == '\x1b' && i + 1 < raw.size() && raw[i + 1] == '[') {
            for (i += 2; i < raw.size() && (raw[i] < '@' || raw[i] > '~');)
                ++i;
        } else if (raw[i] == '\x1b') {
            ++i;
        } else if (raw[i] != '\r' && raw[i] != '\a' && raw[i] != '\b') {
            text += raw[i];
        }
    }
    return text;
}

bool same_mode(const termios& a, const termios& b)
{
    return a.c_iflag == b.c_iflag && a.c_oflag == b.c_oflag && a.c_cflag == b.c_cflag && a.c_lflag == b.c_lflag
           && std::memcmp(a.c_cc, b.c_cc, sizeof a.c_cc) == 0;
}

class TerminalConsole : public BlackBoxTest {
protected:
    // A running engine on a terminal, past its first prompt.
    std::unique_ptr<EngineProcess> start() { return BlackBoxTest::start(EngineProcess::Input::terminal); }
    // Types `keys`; true once the screen shows `shown` after them.
    static bool type(EngineProcess& engine, const std::string& keys, const std::string& shown)
    {
        const std::size_t from = engine.output().size();
        engine.send(keys);
        return engine.wait_until(
            [&] { return screen_text(engine.output().substr(from)).find(shown) != std::string::npos; });
    }
};
}

TEST_F(TerminalConsole, KeysCompleteRecallAndDiscard)
{
    dir.write("data/scripts/hello.cfg", "echo from_script\n");
    ASSERT_TRUE(write_pack(dir.at("data/pack.zip"), {{"zipped/Inner.cfg", "echo from_pack\n"}}));
    auto engine = start();
    const struct {
        const char* keys;
        const char* shown;
    } cases[] = {
        {"ECH\tcompleted\r", "completed \n"},  // letter case ignored, the blank added
        {"SET VID_WI\t1234\rvid_width\r", "vid_width: 1234 "},
        {"help RESET_\t\r", "reset_all - Puts"},  // names after help
        {"exec scr\thel\t\r", "from_script \n"},  // a folder, then the script in it
        {"exec zi\tin\t\r", "from_pack \n"},      // the same in a pack, letter case ignored
        {"vid_\t\t", "vid_fullscreen"},           // the second Tab lists
        {"\x03", "^C\n] "},                       // Ctrl-C discards the half-typed line
        {"echo recalled\r", "recalled \n"},
        {"\x1b[A\r", "recalled \n"},                   // the up arrow
        {"\x1a" "ech\tafter_stop\r", "after_stop \n"},  // Ctrl-Z, then editing as before
    };
    for (const auto& one : cases)
        EXPECT_TRUE(type(*engine, one.keys, one.shown)) << one.keys << "\n" << engine->output();
    engine->send("quit\r");
    EXPECT_EQ(engine->wait_exit(), 0);
    EXPECT_EQ(engine->output().find("not found"), std::string::npos) << engine->output();
}

TEST_F(TerminalConsole, HistoryKeepsTheNewest500LinesAcrossRestarts)
{
    std::string old;
    for (int i = 0; i < 600; ++i)
        old += "echo old" + std::to_string(i) + "\n";
    dir.write("data/console_history", old);
    auto engine = start();
    // A line repeated in a row is kept once; Ctrl-D on an empty line quits.
    ASSERT_TRUE(type(*engine, "echo newest\r", "newest \n"));
    ASSERT_TRUE(type(*engine, "echo newest\r", "newest \n"));
    engine->send("\x04");
    EXPECT_EQ(engine->wait_exit(), 0);
    EXPECT_EQ(dir.read("data/console_history"), old.substr(old.find("echo old101\n")) + "echo newest\n");

    engine = start();
    EXPECT_TRUE(type(*engine, "\x1b[A\r", "newest \n"));
    EXPECT_TRUE(type(*engine, "\x1b[A\x1b[A\r", "old599 \n"));
    engine->send("quit\r");
    EXPECT_EQ(engine->wait_exit(), 0);
}

TEST_F(TerminalConsole, LinesThatMaySetTheKeyStayOutOfTheHistoryAndOnlyItsOwnerReadsIt)
{
    const std::string key(64, 'a');
    auto engine = start();
    ASSERT_TRUE(type(*engine,
                     "echo kept\rrcon_key " + key + "\rset RCON_KEY " + key + "\reval \"rcon_key " + key
                         + "\"\rrcon 127.0.0.1 1 rcon_key " + key + "\recho done\r",
                     "done \n"));
    // The up arrow skips every line that named the key.
    EXPECT_TRUE(type(*engine, "\x1b[A\x1b[A\r", "kept \n"));
    engine->send("quit\r");
    EXPECT_EQ(engine->wait_exit(), 0);
    EXPECT_EQ(dir.read("data/console_history"), "echo kept\necho done\necho kept\nquit\n");
    struct stat status;
    ASSERT_EQ(stat(dir.at("data/console_history").c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0600u);
}

TEST_F(TerminalConsole, OutputLandsAboveTheHalfTypedLine)
{
    const int port = free_udp_port();
    UdpPeer peer;
    auto engine = start();
    ASSERT_TRUE(type(*engine, "n_open " + std::to_string(port) + "\r", "socket open\n"));
    ASSERT_TRUE(type(*engine, "echo hel", "echo hel"));
    peer.send_to(port, "ping");
    // The report, then the prompt and the half-typed text drawn again.
    EXPECT_TRUE(engine->wait_until([&] { return screen_text(engine->output()).find("ping\n] echo hel") != std::string::npos; }))
        << engine->output();
    EXPECT_TRUE(type(*engine, "lo\r", "hello \n"));
}

TEST_F(TerminalConsole, TerminalModeIsRestoredOnEveryWayOut)
{
    const struct {
        const char* way;
        std::function<void(EngineProcess&)> leave;
        int killed_by;
    } ways[] = {
        {"quit", [](EngineProcess& engine) { engine.send("quit\r"); }, 0},
        {"Ctrl-C", [](EngineProcess& engine) { engine.send("\x03"); }, 0},
        {"Ctrl-D", [](EngineProcess& engine) { engine.send("\x04"); }, 0},
        {"SIGTERM", [](EngineProcess& engine) { engine.signal(SIGTERM); }, 0},
        // Both requests wait until the engine continues: the second ends it
        // at once.
        {"second request",
         [](EngineProcess& engine) {
             for (const int number : {SIGSTOP, SIGINT, SIGTERM, SIGCONT})
                 engine.signal(number);
         },
         SIGTERM},
    };
    for (const auto& one : ways) {
        std::filesystem::remove(dir.at("data/default.cfg"));
        auto engine = start();
        ASSERT_TRUE(type(*engine, "set vid_width 800\recho editing\r", "editing \n] "));
        EXPECT_FALSE(same_mode(engine->terminal_mode(), engine->created_terminal_mode())) << one.way;
        one.leave(*engine);
        EXPECT_EQ(engine->wait_exit(), one.killed_by ? -1 : 0) << one.way;
        EXPECT_EQ(engine->killed_by(), one.killed_by) << one.way;
        EXPECT_TRUE(same_mode(engine->terminal_mode(), engine->created_terminal_mode())) << one.way;
        // Every way out but the forced one finishes: settings saved.
        if (one.killed_by == 0) {
            EXPECT_TRUE(ends_with(screen_text(engine->output()), closing)) << one.way << "\n" << engine->output();
            EXPECT_NE(saved().find("set vid_width \"800\"\n"), std::string::npos) << one.way;
        }
    }
}

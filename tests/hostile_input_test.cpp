// The engine binary against input nobody should send it: garbage and huge
// lines on standard input, huge and self-running scripts, floods of
// datagrams, signals and a closed standard output (data directories that
// cannot be used are transcripts; the largest datagram is a network test).
// Whatever comes, the engine keeps running, reports what it was given, and
// still saves its settings when told to stop.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

#include "black_box.h"
#include "udp_peer.h"

namespace {
using HostileInput = BlackBoxTest;

// The kernel's count of datagrams it dropped for the IPv4 UDP socket bound
// to `port` on every interface (its receive queue was full), or -1 when no
// such socket is listed.
long udp_drops(int port)
{
    std::ifstream table("/proc/net/udp");
    std::string line;
    std::getline(table, line);  // the heading
    char local[32];
    std::snprintf(local, sizeof local, "00000000:%04X", port);
    while (std::getline(table, line)) {
        std::istringstream fields(line);
        std::string slot;
        std::string address;
        fields >> slot >> address;
        if (address != local)
            continue;
        std::string last;
        for (std::string field; fields >> field;)
            last = field;
        return std::stol(last);
    }
    return -1;
}

// One datagram report of the engine: size and text.
struct Report {
    long size;
    std::string text;
};

// Every report in `output` of a datagram from `port`, in order. The prompt
// may stand in front of a report's first line.
std::vector<Report> reports_in(const std::string& output, int port)
{
    std::vector<Report> reports;
    const std::string heading = datagram_report(port, "");
    for (auto at = output.find(heading); at != std::string::npos; at = output.find(heading, at + 1)) {
        const auto port_end = at + heading.size() - 1;
        const auto size_end = output.find('\n', port_end + 1);
        const auto text_end = size_end == std::string::npos ? size_end : output.find('\n', size_end + 1);
        if (text_end == std::string::npos)
            break;  // still arriving
        Report one;
        const std::string size_line = output.substr(port_end + 1, size_end - port_end - 1);
        one.size = std::stol(size_line);
        EXPECT_EQ(size_line, std::to_string(one.size) + " bytes received");
        one.text = output.substr(size_end + 1, text_end - size_end - 1);
        reports.push_back(one);
    }
    return reports;
}
}
TEST_F(HostileInput, BinaryAndZeroBytesOnStandardInputRunOnlyWhatPrecedesTheZero)
{
    std::string garbage;
    for (int byte = 0; byte < 256; ++byte)
        garbage += static_cast<char>(byte);
    const EngineRun result = run(garbage + "\n" + garbage + garbage + "\n" + std::string("echo a\0echo b\n", 14)
                                 + "\x1b[2J\xff\xfe\r\n" + "set vid_width 800\r\necho after\nquit\n");
    EXPECT_EQ(result.status, 0);
    // Text behind a zero byte never runs as a line of its own.
    EXPECT_NE(result.output.find("] a \n] "), std::string::npos);
    EXPECT_EQ(result.output.find("b \n"), std::string::npos);
    EXPECT_TRUE(ends_with(result.output, "] after \n] " + closing)) << result.output;
    EXPECT_NE(saved().find("set vid_width \"800\"\n"), std::string::npos);
}

TEST_F(HostileInput, OneMebibyteLineRunsItsFirst1023Characters)
{
    const std::string line = "echo " + std::string(1 << 20, 'x');
    const EngineRun result = run(line + "\necho after\nquit\n");
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.output, startup_report + "] " + std::string(1023 - 5, 'x') + " \n] after \n] " + closing);
}

TEST_F(HostileInput, OneMebibyteWithoutALineFeedThenEndOfInputLeavesTheEngineStoppable)
{
    auto engine = start();
    engine->send("echo " + std::string(1 << 20, 'y'));
    engine->close_input();
    ASSERT_TRUE(engine->wait_for(std::string(1023 - 5, 'y') + " \n] ", 30)) << engine->output().size();
    engine->signal(SIGTERM);
    EXPECT_EQ(engine->wait_exit(), 0);
    EXPECT_TRUE(ends_with(engine->output(), "] " + closing));
}

TEST_F(HostileInput, HundredThousandLineScriptRunsEveryLineAndOverlongOnesCut)
{
    std::string script;
    for (int i = 0; i < 100000; ++i)
        script += "echo line" + std::to_string(i) + "\n";
    script += "echo " + std::string(1 << 20, 'z') + "\n" + "set vid_width 1234\n";
    dir.write("data/big.cfg", script);
    const EngineRun result = run("exec big.cfg\nquit\n");
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(count_of(result.output, " \n"), 100001);
    EXPECT_NE(result.output.find("] line0 \nline1 \n"), std::string::npos);
    EXPECT_TRUE(ends_with(result.output, "line99999 \n" + std::string(1023 - 5, 'z') + " \n] " + closing));
    EXPECT_NE(saved().find("set vid_width \"1234\"\n"), std::string::npos);
}

TEST_F(HostileInput, ScriptsThatExecThemselvesOrEachOtherEndAtTheNestingLimit)
{
    dir.write("data/self.cfg", "echo self\nexec self.cfg\n");
    dir.write("data/ping.cfg", "exec pong.cfg\n");
    dir.write("data/pong.cfg", "eval \"exec ping.cfg\"\n");
    init("exec self.cfg\n");
    const EngineRun result = run("exec ping.cfg\necho after\nquit\n");
    EXPECT_EQ(result.status, 0);
    // Lines run at most 64 deep: init.cfg's line is the first level, and
    // every self.cfg and every ping.cfg, pong.cfg and eval adds one.
    EXPECT_EQ(count_of(result.output, "self \n"), 62);
    EXPECT_EQ(count_of(result.output, "] exec ping.cfg\n"), 21);
    // Both lines of the deepest self.cfg, the line of the deepest ping.cfg.
    EXPECT_EQ(count_of(result.output, " not executed\n"), 3);
    EXPECT_TRUE(ends_with(result.output, "] after \n] " + closing));
}

TEST_F(HostileInput, FloodOfDatagramsIsReportedIntactWhileTypedLinesStillRun)
{
    auto engine = start();
    const int port = open_socket(*engine);
    ASSERT_NE(port, 0);

    UdpPeer peer;
    const auto payload = [](int i) {
        std::string text = "datagram " + std::to_string(i) + " ";
        text.resize(40, static_cast<char>('a' + i % 26));
        return text;
    };
    constexpr int total = 10000;
    int sent = 0;
    for (int i = 0; i < total; ++i) {
        sent += peer.send_to(port, payload(i)) ? 1 : 0;
        if (i == total / 2)
            engine->send("echo typed during the flood\n");
    }
    EXPECT_EQ(sent, total);

    // Every datagram the kernel did not drop for a full queue gets a report.
    long drops = 0;
    const bool drained = engine->wait_until(
        [&] {
            drops = udp_drops(port);
            return count_of(engine->output(), " bytes received\n") >= sent - drops;
        },
        60);
    EXPECT_TRUE(drained) << "reports: " << count_of(engine->output(), " bytes received\n") << " drops: " << drops;
    EXPECT_NE(engine->output().find("typed during the flood \n] "), std::string::npos);

    // Every report names the peer's port.
    const std::vector<Report> reports = reports_in(engine->output(), peer.port());
    EXPECT_EQ(static_cast<long>(reports.size()), count_of(engine->output(), " bytes received\n"));
    EXPECT_EQ(static_cast<long>(reports.size()), sent - drops);
    std::set<std::string> seen;
    for (const Report& one : reports) {
        ASSERT_EQ(one.size, 40) << one.text;
        const int number = std::stoi(one.text.substr(9));
        ASSERT_EQ(one.text, payload(number));
        EXPECT_TRUE(seen.insert(one.text).second) << "reported twice: " << one.text;
    }

    engine->send("quit\n");
    EXPECT_EQ(engine->wait_exit(), 0);
}

TEST_F(HostileInput, SigtermAndSigintSaveTheSettingsAndExitZero)
{
    for (const int number : {SIGTERM, SIGINT}) {
        auto engine = start();
        engine->send("set vid_width " + std::to_string(number) + "\necho set\n");
        ASSERT_TRUE(engine->wait_for("set \n] "));
        engine->signal(number);
        EXPECT_EQ(engine->wait_exit(), 0) << "signal " << number;
        EXPECT_TRUE(ends_with(engine->output(), "set \n] " + closing)) << engine->output();
        EXPECT_NE(saved().find("set vid_width \"" + std::to_string(number) + "\"\n"), std::string::npos);
    }
}

TEST_F(HostileInput, SignalStopsScriptsThatRunThemselvesWithoutEnd)
{
    // Each level runs the next twice: 2^63 scripts, unless the signal ends them.
    dir.write("data/twice.cfg", "set vid_height 7\necho level\nexec twice.cfg\nexec twice.cfg\n");
    auto engine = start();
    engine->send("exec twice.cfg\n");
    ASSERT_TRUE(engine->wait_for("level \n"));
    engine->signal(SIGINT);
    EXPECT_EQ(engine->wait_exit(), 0);
    EXPECT_TRUE(ends_with(engine->output(), closing));
    EXPECT_NE(saved().find("set vid_height \"7\"\n"), std::string::npos);
}

TEST_F(HostileInput, ClosedStandardOutputLeavesTheEngineRunningAndStoppable)
{
    for (const bool by_signal : {false, true}) {
        auto engine = start();
        engine->send("set vid_width 1111\necho set\n");
        ASSERT_TRUE(engine->wait_for("set \n] "));
        engine->close_output();
        // Every write now fails with a broken pipe.
        for (int i = 0; i < 100; ++i)
            engine->send("ls_cmds\n");
        std::this_thread::sleep_for(std::chrono::duration<double>(0.2 * engine_time_scale()));
        ASSERT_TRUE(engine->running());
        if (by_signal)
            engine->signal(SIGTERM);
        else
            engine->send("quit\n");
        EXPECT_EQ(engine->wait_exit(), 0) << (by_signal ? "SIGTERM" : "quit");
        EXPECT_NE(saved().find("set vid_width \"1111\"\n"), std::string::npos);
        std::filesystem::remove(dir.at("data/default.cfg"));
    }
}

namespace {
// Whether the process waits in the kernel for a named pipe's other end.
bool waits_for_pipe_partner(pid_t pid)
{
    std::ifstream wchan("/proc/" + std::to_string(pid) + "/wchan");
    std::string where;
    return wchan >> where && where == "wait_for_partner";
}

// Whether the process has the file at `path` open.
bool has_open(pid_t pid, const std::string& path)
{
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/" + std::to_string(pid) + "/fd", error)) {
        if (std::filesystem::equivalent(entry.path(), path, error))
            return true;
    }
    return false;
}
}

TEST_F(HostileInput, StopRequestDuringStartUpLeavesTheSavedSettingsAlone)
{
    const std::string settings = "// saved\nset vid_width \"800\"\nset sys_prompt \">\"\n";
    // A billion quiet lines: slow.cfg runs slow2.cfg a thousand times, and so on.
    std::string slow;
    std::string slow2;
    for (int i = 0; i < 1000; ++i) {
        slow += "exec slow2.cfg\n";
        slow2 += "exec slow3.cfg\n";
    }
    dir.write("data/slow.cfg", slow);
    dir.write("data/slow2.cfg", slow2);
    dir.write("data/slow3.cfg", std::string(1000, '\n'));
    // The slow script runs from init.cfg, or from the command line.
    for (const bool from_command_line : {false, true}) {
        dir.write("data/default.cfg", settings);
        init(from_command_line ? "exec default.cfg\n" : "exec slow.cfg\nexec default.cfg\n");
        const std::vector<std::string> arguments = from_command_line ? std::vector<std::string> {"+exec", "slow.cfg"}
                                                                     : std::vector<std::string> {};
        EngineProcess engine(dir.path(), EngineProcess::Input::pipe, -1, arguments);
        ASSERT_TRUE(engine.wait_until([&] { return has_open(engine.process_id(), dir.at("data/slow.cfg")); }));
        engine.signal(SIGTERM);
        EXPECT_EQ(engine.wait_exit(), 0);
        const std::string heading = from_command_line ? "Executing commands from command line...\n" : "";
        EXPECT_EQ(engine.output(),
                  heading + startup_report + "Start-up interrupted, \"default.cfg\" not written\n" + closing);
        EXPECT_EQ(saved(), settings);
    }
}

TEST_F(HostileInput, SecondStopRequestEndsAnEngineBlockedInSavingItsSettings)
{
    // Nobody ever reads the pipe: opening it to save the settings blocks.
    ASSERT_EQ(mkfifo(dir.at("data/default.cfg").c_str(), 0600), 0);
    auto engine = start();
    engine->signal(SIGTERM);
    EXPECT_TRUE(engine->wait_until([&] { return waits_for_pipe_partner(engine->process_id()); }));
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_TRUE(engine->running());
    engine->signal(SIGTERM);
    EXPECT_EQ(engine->wait_exit(1), -1);
    EXPECT_EQ(engine->killed_by(), SIGTERM);
}

TEST_F(HostileInput, ExecRunsRegularFilesInsideTheDataDirectoriesOnly)
{
    ASSERT_EQ(mkfifo(dir.at("data/pipe.cfg").c_str(), 0600), 0);
    std::filesystem::create_symlink("/dev/zero", dir.at("data/zero.cfg"));
    std::filesystem::create_directory(dir.at("data/folder"));
    dir.write("outside.cfg", "echo outside");
    dir.write("data/sub/inside.cfg", "echo inside");
    std::filesystem::create_symlink("../outside.cfg", dir.at("data/link.cfg"));
    // Ten gigabytes of zero bytes and no line feed, holding no disk space.
    dir.write("data/huge.cfg", "");
    std::filesystem::resize_file(dir.at("data/huge.cfg"), std::uintmax_t(10) << 30);
    const auto refused = [](const std::string& name) { return "Error executing \"" + name + "\"\n"; };
    const std::pair<std::string, std::string> cases[] = {
        {"pipe.cfg", refused("pipe.cfg")},  // no writer: opening it must not wait for one
        {"zero.cfg", refused("zero.cfg")},
        {"folder", refused("folder")},
        {"../outside.cfg", refused("../outside.cfg")},
        {"sub/../sub/inside.cfg", refused("sub/../sub/inside.cfg")},
        {"..", refused("..")},
        {"sub/inside.cfg", "inside \n"},
        {"link.cfg", "outside \n"},  // placed in the data directory by its owner
        {"huge.cfg", "Error executing \"huge.cfg\": a line longer than 4194304 bytes\n"},
    };
    std::string input;
    std::string expected = startup_report;
    for (const auto& [name, output] : cases) {
        input += "exec " + name + "\n";
        expected += "] " + output;
    }
    const EngineRun result = run(input + "quit\n");
    EXPECT_EQ(result.output, expected + "] " + closing);
    EXPECT_EQ(result.status, 0);
}

TEST_F(HostileInput, SettingsAreReplacedWholeOrNotAtAll)
{
    // Far more settings than the 8 KiB the engine may write: the save fails
    // half-way and the old file must survive it.
    std::string script;
    for (int i = 0; i < 100; ++i)
        script += "set big" + std::to_string(i) + " " + std::string(200, 'v') + "\n";
    init(script);
    const std::string settings = "// saved\nset vid_width \"800\"\n";
    dir.write("data/default.cfg", settings);
    {
        EngineProcess engine(dir.path(), EngineProcess::Input::pipe, 8192);
        engine.send("quit\n");
        EXPECT_EQ(engine.wait_exit(), 0);
        EXPECT_NE(engine.output().find("Error writing \"default.cfg\"\n" + closing), std::string::npos);
    }
    EXPECT_EQ(saved(), settings);

    // A link stays a link; its target gets the settings. No temporary file
    // is left behind either way.
    init("");
    std::filesystem::remove(dir.at("data/default.cfg"));
    std::filesystem::create_symlink("../real.cfg", dir.at("data/default.cfg"));
    EXPECT_EQ(run("set vid_width 900\nquit\n").status, 0);
    EXPECT_TRUE(std::filesystem::is_symlink(dir.at("data/default.cfg")));
    EXPECT_NE(dir.read("real.cfg").find("set vid_width \"900\"\n"), std::string::npos);
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir.at("data")))
        names.insert(entry.path().filename().string());
    for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
        names.insert(entry.path().filename().string());
    EXPECT_EQ(names, (std::set<std::string> {"data", "default.cfg", "init.cfg", "real.cfg"}));

    // A file with a second name is written in place: both names see it.
    std::filesystem::remove(dir.at("data/default.cfg"));
    std::filesystem::create_hard_link(dir.at("real.cfg"), dir.at("data/default.cfg"));
    EXPECT_EQ(run("set vid_width 1000\nquit\n").status, 0);
    EXPECT_NE(dir.read("real.cfg").find("set vid_width \"1000\"\n"), std::string::npos);
}

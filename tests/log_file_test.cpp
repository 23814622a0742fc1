// The log file end to end: time stamps, the reopen that log rotation asks
// for with SIGHUP, and a failed write that pauses the log until a reopen.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <ctime>
#include <functional>
#include <string>

#include "black_box.h"

namespace {
using LogFileTest = BlackBoxTest;
using std::chrono::system_clock;

// The file's lines without their time stamps; each stamp must be a UTC time
// between `since` and now, else the line is returned as "bad stamp: <line>".
std::string unstamped(const std::string& text, system_clock::time_point since)
{
    std::string lines;
    for (std::size_t at = 0, end; (end = text.find('\n', at)) != std::string::npos; at = end + 1) {
        const std::string line = text.substr(at, end - at);
        tm utc {};
        int milliseconds = -1;
        char z = 0;
        const bool parsed = std::sscanf(line.c_str(), "%4d-%2d-%2dT%2d:%2d:%2d.%3d%c", &utc.tm_year, &utc.tm_mon,
                                        &utc.tm_mday, &utc.tm_hour, &utc.tm_min, &utc.tm_sec, &milliseconds, &z)
                == 8
            && z == 'Z' && line.size() >= 25 && line[24] == ' ';
        utc.tm_year -= 1900;
        utc.tm_mon -= 1;
        const auto stamp = system_clock::from_time_t(timegm(&utc)) + std::chrono::milliseconds(milliseconds);
        const bool in_time = stamp + std::chrono::milliseconds(1) >= since && stamp <= system_clock::now();
        lines += parsed && in_time ? line.substr(25) + '\n' : "bad stamp: " + line + '\n';
    }
    return lines;
}
}

TEST_F(LogFileTest, StampsLinesReopensOnHangupAndPausesAfterAFailedWrite)
{
    const system_clock::time_point since = system_clock::now();
    // Room for the first few lines only.
    EngineProcess engine(dir.path(), EngineProcess::Input::pipe, 700, {"+set", "logfile", "server.log"});
    ASSERT_TRUE(engine.wait_for("] ")) << engine.output();
    const auto rename_log = [&](const std::string& to) {
        ASSERT_EQ(std::rename(dir.at("data/server.log").c_str(), dir.at("data/" + to).c_str()), 0);
    };
    const std::string long_line(700, 'x');
    // echo ends its line with a blank. Each step: what is done, the typed
    // line, what the console says to it (a failed write shows after the
    // prompt), and then the log files' lines.
    const struct {
        const char* name;
        std::function<void()> before;
        std::string typed, said;
        std::string log, rotated;
    } steps[] = {
        {"start-up and a line", nullptr, "echo one", "one \n", startup_report + "one \n", ""},
        {"renamed: still written until the reopen", [&] { rename_log("server.log.1"); }, "echo two", "two \n", "",
         startup_report + "one \ntwo \n"},
        {"SIGHUP: a fresh file", [&] { engine.signal(SIGHUP); }, "echo three", "three \n", "three \n",
         startup_report + "one \ntwo \n"},
        {"past the file-size limit: paused", nullptr, "echo " + long_line,
         long_line + " \nError writing log file \"server.log\": File too large; logging paused until the next reopen\n",
         "three \n", startup_report + "one \ntwo \n"},
        {"paused", nullptr, "echo four", "four \n", "three \n", ""},
        {"rotated, SIGHUP: logging again",
         [&] {
             rename_log("server.log.1");
             engine.signal(SIGHUP);
         },
         "echo five", "five \n", "five \n", "three \n"},
        {"a missing directory", nullptr, "logfile nodir/server.log",
         "Error opening log file \"nodir/server.log\": No such file or directory; logging paused until the next "
         "reopen\n",
         "five \n", "three \n"},
        {"out of the data directories", nullptr, "logfile ../server.log",
         "Error opening log file \"../server.log\": the name leads out of the data directories; logging paused "
         "until the next reopen\n",
         "five \n", "three \n"},
        {"set again: reopened", nullptr, "logfile server.log", "", "five \n", "three \n"},
        {"empty: no log", nullptr, "logfile \"\"", "", "five \n", "three \n"},
        {"still none", nullptr, "echo six", "six \n", "five \n", "three \n"},
    };
    std::string said;
    for (const auto& step : steps) {
        SCOPED_TRACE(step.name);
        if (step.before)
            step.before();
        command(engine, step.typed);
        said += step.said;
        // The log is written when the frame loop rests, just after the prompt.
        const auto written = [&] {
            return unstamped(dir.read("data/server.log"), since) == step.log
                && (step.rotated.empty() || unstamped(dir.read("data/server.log.1"), since) == step.rotated);
        };
        engine.wait_until(written, 2);
        EXPECT_EQ(unstamped(dir.read("data/server.log"), since), step.log);
        if (!step.rotated.empty()) {
            EXPECT_EQ(unstamped(dir.read("data/server.log.1"), since), step.rotated);
        }
    }
    engine.send("quit\n");
    EXPECT_EQ(engine.wait_exit(), 0);
    std::string output = engine.output();
    for (auto at = output.find("] "); at != std::string::npos; at = output.find("] ", at))
        output.erase(at, 2);
    EXPECT_EQ(output, "Executing commands from command line...\n" + startup_report + said + closing);
}

// The service manager's notifications end to end, on a notification socket
// of the test's own: ready, the watchdog's pings at half its interval,
// stopping, and nothing at all without NOTIFY_SOCKET.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <vector>

#include "black_box.h"

namespace {
using ServiceNotifyTest = BlackBoxTest;
using Clock = std::chrono::steady_clock;

struct Message {
    std::string text;
    Clock::time_point received;
};

class NotifySocket {
public:
    explicit NotifySocket(const std::string& path) : fd(socket(AF_UNIX, SOCK_DGRAM | SOCK_NONBLOCK, 0))
    {
        sockaddr_un address {};
        address.sun_family = AF_UNIX;
        path.copy(address.sun_path, sizeof address.sun_path - 1);
        EXPECT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0) << path;
    }
    ~NotifySocket() { close(fd); }

    // Takes what has come, with the time it was taken.
    void drain(std::vector<Message>& into) const
    {
        char block[4096];
        for (ssize_t size; (size = recv(fd, block, sizeof block, 0)) >= 0;)
            into.push_back({std::string(block, static_cast<std::size_t>(size)), Clock::now()});
    }

private:
    int fd;
};

bool starts_with(const std::string& text, const std::string& start)
{
    return text.compare(0, start.size(), start) == 0;
}
}

TEST_F(ServiceNotifyTest, ReadyWatchdogAndStoppingOnlyWhenAsked)
{
    const struct {
        const char* name;
        bool socket_set;
        const char* watchdog_usec;  // null: unset
        int pings_expected;         // at least, in the second the engine runs
    } cases[] = {
        {"no NOTIFY_SOCKET", false, "200000", 0},
        {"no watchdog", true, nullptr, 0},
        {"watchdog every 200 ms: pings every 100 ms", true, "200000", 5},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = dir.at(std::string("notify") + (c.watchdog_usec ? "w" : "") + (c.socket_set ? "s" : ""));
        const NotifySocket notifications(path);
        // The engine inherits the environment as it is when it starts.
        if (c.socket_set)
            setenv("NOTIFY_SOCKET", path.c_str(), 1);
        if (c.watchdog_usec)
            setenv("WATCHDOG_USEC", c.watchdog_usec, 1);
        EngineProcess engine(dir.path());
        unsetenv("NOTIFY_SOCKET");
        unsetenv("WATCHDOG_USEC");
        ASSERT_TRUE(engine.wait_for("] ")) << engine.output();
        std::vector<Message> got;
        const Clock::time_point since = Clock::now();
        engine.wait_until([&] { return notifications.drain(got), false; }, 1.0);
        const double ran = std::chrono::duration<double>(Clock::now() - since).count();
        engine.send("quit\n");
        EXPECT_EQ(engine.wait_exit(), 0);
        notifications.drain(got);

        if (!c.socket_set) {
            EXPECT_TRUE(got.empty()) << got.front().text;
            continue;
        }
        ASSERT_GE(got.size(), 2u);
        EXPECT_TRUE(starts_with(got.front().text, "READY=1\nSTATUS=uptime 0 s")) << got.front().text;
        EXPECT_EQ(got.back().text, "STOPPING=1");
        std::vector<Clock::time_point> pings;
        for (const Message& message : got) {
            if (starts_with(message.text, "WATCHDOG=1\nSTATUS=uptime ")) {
                pings.push_back(message.received);
            } else if (&message != &got.front() && &message != &got.back()) {
                EXPECT_TRUE(starts_with(message.text, "STATUS=uptime ")) << message.text;
            }
        }
        EXPECT_GE(static_cast<int>(pings.size()), c.pings_expected);
        // Never more often than half the interval. The test reads each one
        // a little late, by a varying delay: the mean spacing tells.
        EXPECT_LE(pings.size(), static_cast<std::size_t>(ran / 0.1) + 2);
        if (pings.size() >= 2) {
            EXPECT_GE((pings.back() - pings.front()) / (pings.size() - 1), std::chrono::milliseconds(90));
        }
    }
}

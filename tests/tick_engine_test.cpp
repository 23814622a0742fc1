// The engine with a tick hook installed (bench/tick_bench.cpp), end to end:
// the tick advances at eng_tickrate, never ahead of the clock, and
// eng_stats reports it.
#include <gtest/gtest.h>

#include <chrono>
#include <cctype>
#include <string>

#include "black_box.h"

using TickingEngineTest = BlackBoxTest;

TEST_F(TickingEngineTest, TicksAtItsRateForASecondAndReportsThem)
{
    init("eng_tickrate 100\n");
    const auto engine = start();
    const auto since = std::chrono::steady_clock::now();
    engine->collect_for(1.0);
    EXPECT_EQ(command(*engine, "eng_tickrate 5000"), "eng_tickrate must be between 1 and 1000, not 5000\n] ");
    const std::string stats = command(*engine, "eng_stats");
    const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
    // The shape, with every number shown as #; then the figures that matter.
    const auto digit = [](char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; };
    std::string shape;
    for (std::size_t at = 0; at < stats.size();) {
        if (!digit(stats[at])) {
            shape += stats[at++];
            continue;
        }
        shape += '#';
        while (at < stats.size() && (digit(stats[at]) || stats[at] == '.'))
            ++at;
    }
    EXPECT_EQ(shape,
              "uptime: # s\nframes: #\ntyped lines run: #\ndatagrams reported: #\nticks run at # Hz: #\n"
              "ticks late by more than # ms: #\ntick lateness median, last # ticks: # us\n"
              "tick lateness #th percentile, last # ticks: # us\ntick lateness maximum, last # ticks: # us\n"
              "ticks dropped by catch-up: #\nCPU use since start: #% of one core\n] ");
    const auto figure = [&](const std::string& label) {
        const auto at = stats.find(label);
        return at == std::string::npos ? -1 : std::stoi(stats.substr(at + label.size()));
    };
    EXPECT_EQ(figure("typed lines run: "), 2);
    EXPECT_EQ(figure("datagrams reported: "), 0);
    // The first tick ran just before the first prompt; none runs early.
    const int ticks = figure("ticks run at 100 Hz: ");
    EXPECT_EQ(figure("maximum, last "), ticks);
    EXPECT_GE(ticks, 50);
    EXPECT_LE(ticks, 100 * elapsed + 3);

    // A new rate counts afresh; a datagram reported counts.
    const int port = open_socket(*engine);
    const auto changed = std::chrono::steady_clock::now();
    command(*engine, "eng_tickrate 20");
    command(*engine, "n_send 127.0.0.1 " + std::to_string(port) + " hi");
    engine->collect_for(0.5);
    const std::string later = command(*engine, "eng_stats");
    const double slower = std::chrono::duration<double>(std::chrono::steady_clock::now() - changed).count();
    const auto at = later.find("\ndatagrams reported: 1\nticks run at 20 Hz: ");
    ASSERT_NE(at, std::string::npos) << later;
    const int slow_ticks = std::stoi(later.substr(later.find(" Hz: ", at) + 5));
    EXPECT_GE(slow_ticks, 5);
    EXPECT_LE(slow_ticks, 20 * slower + 2);
}

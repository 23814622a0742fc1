// The engine with a tick hook installed (bench/tick_bench.cpp), end to end:
// the tick advances at eng_tickrate, never ahead of the clock, and
// eng_stats reports it.
#include <gtest/gtest.h>

#include <chrono>
#include <regex>
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
    std::smatch figures;
    ASSERT_TRUE(std::regex_match(stats, figures,
                                 std::regex("uptime: \\d+\\.\\d s\n"
                                            "frames: \\d+\n"
                                            "typed lines run: 2\n"
                                            "datagrams reported: 0\n"
                                            "ticks run at 100 Hz: (\\d+)\n"
                                            "ticks late by more than 1 ms: \\d+\n"
                                            "tick lateness median, last \\1 ticks: \\d+ us\n"
                                            "tick lateness 99th percentile, last \\1 ticks: \\d+ us\n"
                                            "tick lateness maximum, last \\1 ticks: \\d+ us\n"
                                            "ticks dropped by catch-up: \\d+\n"
                                            "CPU use since start: \\d+\\.\\d\\d% of one core\n] ")))
        << stats;
    // The first tick ran just before the first prompt; none runs early.
    const int ticks = std::stoi(figures[1]);
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

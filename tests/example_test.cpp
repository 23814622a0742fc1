// The example game (examples/guess), as installed.cmake built it against
// the installed core, run as its README says: a player's datagrams in, the
// game's answers out, its players counted in its status, and quit saving the
// game's variable after the core's.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "black_box.h"
#include "udp_peer.h"

using ExampleGameTest = BlackBoxTest;

TEST_F(ExampleGameTest, AnswersAPlayerAndSavesItsVariable)
{
    std::ifstream script(VARNHOLT_SOURCE_DIR "/examples/guess/data/init.cfg");
    std::ostringstream init_cfg;
    init_cfg << script.rdbuf();
    init(init_cfg.str());
    dir.write("data/default.cfg", "");
    // Numbers from 1 to 1: the first guess is right.
    const std::string port = std::to_string(free_udp_port());
    EngineProcess game(dir.path(), EngineProcess::Input::pipe, -1,
                       {"+set", "guess_port", port, "+set", "guess_max", "1", "+set", "sv_status", "1"});
    ASSERT_TRUE(game.wait_for("] "));
    UdpPeer player;
    player.send_to(std::stoi(port), "join ann\n");
    EXPECT_EQ(player.receive(), "hi ann\n");
    player.send_to(std::stoi(port), "guess 1\n");
    EXPECT_EQ(player.receive(), "right\n");
    ASSERT_TRUE(game.wait_for("Round 2"));
    // The engine asks itself: its uptime and tick lateness vary, the
    // game's pair does not.
    game.send("status 127.0.0.1 " + port + "\n");
    ASSERT_TRUE(game.wait_for("peers: 1\n"));
    game.send("quit\n");
    EXPECT_EQ(game.wait_exit(), 0);
    std::string output = game.output();
    const auto status = output.find("] Status of");
    ASSERT_NE(status, std::string::npos);
    output.erase(status, output.find("peers: 1\n") + 9 - status);
    EXPECT_EQ(output, "Executing commands from command line...\nsocket open\n" + startup_report +
                                 "Host initted...\nGuessing game on port " + port +
                                 "\nRound 1: a number from 1 to 1, 60 seconds\n] ann joined from 127.0.0.1 " +
                                 std::to_string(player.port()) + "\nRound 1 won by ann in 1 guess\n"
                                 "Round 2: a number from 1 to 1, 60 seconds\nGuessing game over, rounds played: 1\n"
                                 "Host closed...\n" + closing);
    EXPECT_TRUE(ends_with(saved(), "\nset sys_prompt \"]\"\nset guess_max \"1\"\n")) << saved();
}

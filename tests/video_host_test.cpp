#include <gtest/gtest.h>

#include <string>
#include <unistd.h>

#include "console_capture.h"
#include "udp_peer.h"
#include "varnholt/base/hooks.h"
#include "varnholt/engine/host.h"
#include "varnholt/net/net.h"
#include "varnholt/net/packet.h"
#include "varnholt/video/video.h"

using namespace varnholt;

TEST(Video, ShutdownEmptiesTheRendererStringsOnceAndRestartNeedsTheLayer)
{
    ConsoleCapture capture;
    console.execute("vid_restart", false);
    EXPECT_EQ(capture.take(), "Video not initted...\n");

    ASSERT_TRUE(vid_init());
    vid_width.value = 1024;
    console.execute("vid_restart", false);
    EXPECT_EQ(capture.take(), "Restarting video...mode set\n");
    EXPECT_EQ(vid_width.value, 1024);

    gl_vendor.value = "vendor";
    EXPECT_TRUE(vid_shutdown());
    EXPECT_EQ(gl_vendor.value, "");
    gl_vendor.value = "kept";
    EXPECT_FALSE(vid_shutdown());
    EXPECT_EQ(gl_vendor.value, "kept");
    EXPECT_FALSE(vid_initted());
}

TEST(Host, LayersReportTheirState)
{
    ConsoleCapture capture;
    EXPECT_FALSE(client_shutdown());
    EXPECT_TRUE(client_init());
    EXPECT_TRUE(client_active());
    EXPECT_TRUE(client_shutdown());
    EXPECT_FALSE(client_active());

    EXPECT_TRUE(host_init());
    EXPECT_TRUE(host_initted());
    EXPECT_TRUE(host_close());
    EXPECT_FALSE(host_initted());
    EXPECT_EQ(capture.take(), "Host initted...\nHost closed...\n");
}

TEST(Hooks, RunAtTheirStepsAndAModeTheyRefuseFallsBackToTheDefault)
{
    std::string steps;
    Hooks hooks;
    hooks.host_init = [&] { steps += "host_init "; };
    hooks.host_frame = [&] { steps += "host_frame "; };
    hooks.host_shutdown = [&] { steps += "host_shutdown "; };
    hooks.video_set_mode = [&] {
        steps += "set_mode ";
        return vid_width.value == vid_width.default_value;
    };
    hooks.video_close_mode = [&] { steps += "close_mode "; };
    hooks.video_failure = [&] { steps += "failure "; };
    hooks.clear_screen = [&] { steps += "clear "; };
    set_hooks(hooks);
    ConsoleCapture capture;
    host_init();
    host_frame();
    host_close();
    vid_width.value = 800;
    EXPECT_FALSE(vid_init());
    vid_width.value = 640;
    ASSERT_TRUE(vid_init());
    vid_width.value = 800;
    console.execute("vid_restart", false);
    EXPECT_EQ(vid_width.value, 640);
    hooks.video_set_mode = [] { return false; };
    set_hooks(hooks);
    console.execute("vid_restart", false);
    console.execute("clear", false);
    EXPECT_EQ(steps, "host_init host_frame host_shutdown set_mode set_mode close_mode set_mode set_mode close_mode "
                     "failure clear ");
    EXPECT_EQ(capture.take(), "Host initted...\nHost closed...\nRestarting video...mode set\n"
                              "Restarting video...unable to open video mode\n");
}

TEST(Hooks, DatagramsTheGameTakesAreNotReported)
{
    const int port = free_udp_port();
    console.execute(("n_open " + std::to_string(port)).c_str(), false);
    std::string taken;
    Hooks hooks;
    hooks.datagram = [&](const Packet& packet) {
        taken.assign(packet.data, static_cast<std::size_t>(packet.size));
        return taken != "not mine";
    };
    set_hooks(hooks);
    ConsoleCapture capture;
    const UdpPeer peer;
    for (const char* text : {"join", "not mine"}) {
        ASSERT_TRUE(peer.send_to(port, text));
        for (int i = 0; i < 1000 && !net_frame(); ++i)
            usleep(1000);
    }
    net_socket.reset();
    EXPECT_EQ(taken, "not mine");
    EXPECT_NE(capture.take().find("8 bytes received\nnot mine\n"), std::string::npos);
}

#include <gtest/gtest.h>

#include "console_capture.h"
#include "varnholt/engine/host.h"
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

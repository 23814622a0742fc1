#include "varnholt/video/video.h"

#include "varnholt/base/hooks.h"
#include "varnholt/console/console.h"
#include "varnholt/console/registration_unit.h"

namespace varnholt {

// Its objects stand in the listings where the core's list puts this unit.
RegistrationUnit video_unit("video");

Variable<int> vid_width("vid_width", 640, saved, "Width of the video mode, in pixels");
Variable<int> vid_height("vid_height", 480, saved, "Height of the video mode, in pixels");
Variable<int> vid_bpp("vid_bpp", 16, saved, "Colour depth of the video mode, in bits per pixel");
Variable<int> vid_zdepth("vid_zdepth", 16, saved, "Bits of the depth buffer");
Variable<int> vid_stencil("vid_stencil", 0, saved, "Bits of the stencil buffer, 0 for none");
Variable<bool> vid_fullscreen("vid_fullscreen", false, saved, "1 for the whole screen, 0 for a window");
ReadOnlyVariable<std::string> gl_vendor("gl_vendor", "", not_saved, "Maker of the graphics driver, once video is up");
ReadOnlyVariable<std::string> gl_renderer("gl_renderer", "", not_saved, "Graphics device that draws, once video is up");
ReadOnlyVariable<std::string> gl_extensions("gl_extensions", "", not_saved,
                                            "Extensions the graphics driver offers, once video is up");
ReadOnlyVariable<std::string> gl_version("gl_version", "", not_saved,
                                         "Version of the graphics driver, once video is up");

namespace {
bool initted = false;

void reset_mode_to_defaults()
{
    vid_width.reset_to_default();
    vid_height.reset_to_default();
    vid_bpp.reset_to_default();
    vid_zdepth.reset_to_default();
    vid_stencil.reset_to_default();
    vid_fullscreen.reset_to_default();
}

void vid_restart_command(ArgList&)
{
    if (!initted) {
        console << "Video not initted..." << std::endl;
        return;
    }
    console << "Restarting video...";
    vid_close_mode();
    if (!vid_set_mode()) {
        reset_mode_to_defaults();
        if (!vid_set_mode()) {
            if (hooks().video_failure)
                hooks().video_failure();
            console << "unable to open video mode" << std::endl;
            return;
        }
    }
    console << "mode set" << std::endl;
}

Command vid_restart("vid_restart", vid_restart_command,
                    "Closes and reopens the video mode, to apply the vid_ settings");
const RegistrationUnit::End video_unit_end(video_unit);
}

bool vid_init()
{
    if (!vid_set_mode())
        return false;
    initted = true;
    return true;
}

bool vid_shutdown()
{
    if (!initted)
        return false;
    vid_close_mode();
    gl_renderer.value.clear();
    gl_vendor.value.clear();
    gl_extensions.value.clear();
    gl_version.value.clear();
    initted = false;
    return true;
}

bool vid_initted()
{
    return initted;
}

bool vid_set_mode()
{
    return hooks().video_set_mode ? hooks().video_set_mode() : true;
}

bool vid_close_mode()
{
    if (hooks().video_close_mode)
        hooks().video_close_mode();
    return true;
}

void vid_frame_begin()
{
    if (hooks().video_frame_begin)
        hooks().video_frame_begin();
}

void vid_frame_end()
{
    if (hooks().video_frame_end)
        hooks().video_frame_end();
}

}  // namespace varnholt

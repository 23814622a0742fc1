/*
 * Video settings: the display-mode request, the renderer's description and
 * mode restarts with a fallback to the default mode. The core has no
 * renderer: opening and closing a mode and the frame steps are a platform's
 * hooks (video_set_mode, ... in base/hooks.h); without them opening and
 * closing succeed doing nothing. A renderer fills the gl_* strings.
 */
#pragma once

#include <string>

#include "varnholt/variables/variable.h"

namespace varnholt {

extern Variable<int> vid_width;
extern Variable<int> vid_height;
extern Variable<int> vid_bpp;
extern Variable<int> vid_zdepth;
extern Variable<int> vid_stencil;
extern Variable<bool> vid_fullscreen;
extern ReadOnlyVariable<std::string> gl_vendor;
extern ReadOnlyVariable<std::string> gl_renderer;
extern ReadOnlyVariable<std::string> gl_extensions;
extern ReadOnlyVariable<std::string> gl_version;

// Opens the requested mode; the layer is up when it succeeds. Silent.
bool vid_init();
// Closes the mode and empties the renderer strings; false when down.
bool vid_shutdown();
bool vid_initted();
// Platform steps: the installed hooks, or success.
bool vid_set_mode();
bool vid_close_mode();
// Frame steps: before the client's, and last in every frame.
void vid_frame_begin();
void vid_frame_end();

}  // namespace varnholt

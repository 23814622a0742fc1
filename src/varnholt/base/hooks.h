/*
 * The code a game or a platform installs in the engine without editing it:
 * each hook is called at one fixed point of the engine's life. Every hook
 * is empty by default, and an empty hook does what the engine alone does
 * (nothing, or success), so an engine without hooks behaves as the
 * standard binary does.
 *
 * Install them before start-up (never from inside a hook); the engine keeps
 * its own copy:
 *
 *     varnholt::Hooks hooks;
 *     hooks.host_frame = [] { game.step(); };
 *     varnholt::set_hooks(hooks);
 *
 * A hook runs on the engine's one thread and may use the console. New hooks
 * join this struct as members with an empty default, so that code written
 * against an older struct keeps compiling and behaving the same.
 */
#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace varnholt {

class Packet;

// Key/value pairs of a status report, in the order given.
using StatusPairs = std::vector<std::pair<std::string, std::string>>;

struct Hooks {
    // The game's fixed-rate step, given the step in seconds (1 / eng_tickrate)
    // once per tick, before the frame's input and datagrams. Ticks run only
    // while this hook is set: the first is due at the next frame, the ones
    // after it on a fixed grid (engine/tick.h). Without it the frame loop
    // sleeps until input comes, as the plain engine does.
    std::function<void(double step_seconds)> tick;

    // The host side, which a dedicated start (`dedicated 1`) brings up
    // instead of the video layer: right after "Host initted...", once a
    // frame while the host is up, and right before "Host closed...".
    std::function<void()> host_init;
    std::function<void()> host_frame;
    std::function<void()> host_shutdown;

    // The client side: when client_init brings it up, once a frame while it
    // is active (between the two video frame steps), when client_shutdown
    // takes it down.
    std::function<void()> client_init;
    std::function<void()> client_frame;
    std::function<void()> client_shutdown;

    // The video layer's platform steps. video_set_mode opens the mode that
    // vid_width, vid_height, vid_bpp, vid_zdepth, vid_stencil and
    // vid_fullscreen ask for and says whether it could; at start-up a
    // refusal leaves video down, and vid_restart retries at the default
    // mode, then calls video_failure if that fails too. video_close_mode
    // closes the mode (vid_restart, shutdown). The frame steps come before
    // the client's frame and last in every frame.
    std::function<bool()> video_set_mode;
    std::function<void()> video_close_mode;
    std::function<void()> video_frame_begin;
    std::function<void()> video_frame_end;
    std::function<void()> video_failure;

    // A datagram that arrived on the engine's socket (n_open) and is not the
    // remote console's, once a frame at most: true when the game took it,
    // which the engine then does not report. Its sender is the packet's
    // address and port; replies go out through net_socket (net/net.h).
    std::function<bool(const Packet& packet)> datagram;

    // The screen behind the console: `clear` empties the history, then
    // calls this.
    std::function<void()> clear_screen;

    // The game's lines of a status report, appended after the engine's:
    // the public status query (sv_status) sends them, and the summary a
    // service manager shows takes the "peers" pair. Keys and values are
    // cut at a zero byte; whoever shows them escapes them.
    std::function<void(StatusPairs& pairs)> status;
};

// Replaces the installed hooks with a copy of `hooks`.
void set_hooks(const Hooks& hooks);
// The installed hooks; all empty until set_hooks.
const Hooks& hooks();

}  // namespace varnholt

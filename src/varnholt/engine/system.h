/*
 * The hooks through which the layers above reach the process: the console
 * (quit, clear, exec, the "+" commands of the process arguments) and the
 * video layer. A leaf: it includes nothing of the engine, so including it
 * puts no one in an include circle with the engine. The engine implements
 * the hooks (engine.cpp, signals.cpp).
 */
#pragma once

namespace varnholt {

class ArgList;

// Shuts the engine down, then exits with status 1 if `error`, else 0.
[[noreturn]] void sys_quit(bool error);
// Whether SIGINT or SIGTERM has arrived; the engine then stops at the start
// of the next frame, and running scripts stop at their next line.
bool sys_stop_requested();

// Hooks for a platform with a screen; they do nothing here.
void sys_clear_screen();
void sys_video_failure(bool error);

}  // namespace varnholt

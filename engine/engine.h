/*
 * The process itself: start-up in a fixed order, the endless frame loop,
 * and the shutdown that ends in the process exit. One thread runs all of it.
 */
#pragma once

class ArgList;

// Start-up, then the frame loop. Never returns; only sys_quit ends it.
[[noreturn]] void eng_run(ArgList& args);
// One turn of the frame loop.
void eng_frame();
// Takes the layers down and saves default.cfg.
bool eng_shutdown();
// Byte-order detection, then remembers the process arguments for
// program_args() (engine/system.h).
void common_init(ArgList* args);

// A game's fixed-rate step, called with the step in seconds (1 / eng_tickrate)
// once per tick, between frames' input and datagrams.
using TickHook = void (*)(double step_seconds);
// Installs `hook` in place of the one before; null removes it. Ticks run
// only while a hook is installed: the first is due at the next frame, and
// the ones after it on a fixed grid (engine/tick.h). Without one the frame
// loop sleeps until input comes. May be called before main, from a static
// initialiser, and from inside the hook.
void eng_set_tick_hook(TickHook hook);

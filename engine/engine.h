/*
 * The process itself: start-up in a fixed order, the endless frame loop,
 * and the shutdown that ends in the process exit. One thread runs all of it.
 */
#pragma once

#include <string>

#include "console/arg_list.h"
#include "engine/timer.h"
#include "variables/variable.h"

extern ConstVariable<std::string> eng_name;
extern ReadOnlyVariable<Timer> eng_time;  // driven by time_start and time_stop

// Start-up, then the frame loop. Never returns; only sys_quit ends it.
[[noreturn]] void eng_run(ArgList& args);
// One turn of the frame loop.
void eng_frame();
// Takes the layers down and saves default.cfg.
bool eng_shutdown();
// eng_shutdown, then exit with status 1 if `error`, else 0.
[[noreturn]] void sys_quit(bool error);

// Byte-order detection, then remembers the process arguments.
void common_init(ArgList* args);
// The process arguments recorded by common_init (not owned), or null.
ArgList* program_args();

// Hooks for a platform with a screen; they do nothing here.
void sys_clear_screen();
void sys_video_failure(bool error);

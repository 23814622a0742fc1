/*
 * The process itself: start-up in a fixed order, the endless frame loop,
 * and the shutdown that ends in the process exit. One thread runs all of it.
 */
#pragma once

namespace varnholt {

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

}  // namespace varnholt

/*
 * The process handed to the engine, for a program that wants what the
 * standard binary does. The engine's lifecycle (engine/engine.h) never
 * takes any of this by itself: a game with a main loop of its own, or a
 * test harness, may skip it and keep its signals and streams.
 */
#pragma once

namespace varnholt {

// Takes over the process, once: SIGINT and SIGTERM ask the run to stop
// (a second request ends the process at once), SIGPIPE and SIGXFSZ are
// ignored (process/signals.h); std::cout leaves the C streams' buffer and
// becomes the console's stream, flushed by the frame loop; standard input
// (the terminal console on an editing terminal) gives the typed lines.
// Call it before anything is written to std::cout.
void take_over_process();

// The standard engine: "--help" or "-h" first prints the usage; otherwise
// take_over_process, startup, frames until a quit or a stop request, and
// shutdown. Returns the exit status: 0.
//
//     int main(int argc, char** argv) { return varnholt::run(argc, argv); }
int run(int argc, char** argv);

}  // namespace varnholt

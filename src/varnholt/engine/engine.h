/*
 * The engine's lifecycle, which the program drives: start-up, one frame at
 * a time, shutdown. Each call returns to the caller; nothing here ends the
 * process or touches its signals, terminal or standard output (see
 * process/process.h for the program that hands all of that to the engine).
 * One thread runs all of it.
 *
 *     if (varnholt::startup(argc, argv))
 *         while (varnholt::frame()) {
 *         }
 *     return varnholt::shutdown();
 *
 * A frame that found nothing to do waits up to 50 ms for typed input or a
 * datagram before it returns (while a tick hook is installed, at most until
 * the next tick is due), so such a loop idles at no cost.
 */
#pragma once

#include <cstdint>

namespace varnholt {

class ArgList;

// Typed console lines, polled once a frame. The standard process's
// (standard input, or the terminal console) is installed by
// take_over_process; without one, no line is typed.
class ConsoleInput {
public:
    virtual ~ConsoleInput() = default;
    // The frame step: false when it found nothing to do.
    virtual bool poll() = 0;
    // The descriptor an idle frame waits on, or -1.
    virtual int descriptor() const = 0;
    // A stop request by SIGINT is pending: true when it only discarded a
    // half-typed line (and was withdrawn), so the engine goes on.
    virtual bool interrupt() = 0;
    // First thing in the shutdown: gives back what the input took.
    virtual void shutdown() = 0;
    // Lines typed and run so far, for eng_stats.
    virtual std::uint64_t lines_run() const { return 0; }
};

// Installs `input` (not owned; null for none) for the frames to come.
void set_console_input(ConsoleInput* input);

// Start-up: the console and its registered objects (init_console), the
// process arguments' "+set" commands, init.cfg, the "+set" commands again
// where init.cfg changed their variable, the other "+" commands, then the
// file system report, the network, and the host (dedicated) or the video
// layer. `argv` (argc words, the program path first) is copied. False when
// a `quit` or a stop request during start-up already ended the run: call
// shutdown() next.
bool startup(int argc, const char* const* argv);
// One turn of the frame loop: stop requests, a tick when one is due (see
// engine/tick.h), a typed line, a datagram, the host, the client and video
// frame steps, the console's output flushed to
// standard output when due, and the idle wait. False once the run is to
// end (quit, a stop request): call shutdown() next.
bool frame();
// Takes the layers down and saves default.cfg (not after a start-up cut
// short by a stop request); returns the exit status for the process, 0.
int shutdown();

// Byte-order detection, then records `args` (not owned; may be null) as
// the process arguments that Console::execute_command_line reads.
void common_init(ArgList* args);

}  // namespace varnholt

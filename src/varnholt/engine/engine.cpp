#include "varnholt/engine/engine.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <iostream>
#include <memory>
#include <poll.h>
#include <string>

#include "varnholt/base/byte_order.h"
#include "varnholt/base/stop_request.h"
#include "varnholt/base/timer.h"
#include "varnholt/console/arg_list.h"
#include "varnholt/console/console.h"
#include "varnholt/console/registration.h"
#include "varnholt/console/registration_unit.h"
#include "varnholt/engine/config_writer.h"
#include "varnholt/engine/host.h"
#include "varnholt/engine/startup_commands.h"
#include "varnholt/net/net.h"
#include "varnholt/variables/variable.h"
#include "varnholt/vfs/vfs.h"
#include "varnholt/video/video.h"

namespace varnholt {

// Its objects stand in the listings where the core's list puts this unit.
RegistrationUnit engine_unit("engine");

namespace {
ConstVariable<std::string> eng_name("eng_name", "Varnholt", not_saved);
// Driven by time_start and time_stop.
ReadOnlyVariable<Timer> eng_time("eng_time", Timer(false), not_saved);

// The longest an idle frame waits for input.
constexpr int idle_wait_ms = 50;
// The longest the console's output waits in a run of busy frames.
constexpr auto output_delay = std::chrono::milliseconds(1);

// A stop request cut the start-up scripts or the command line's commands
// short: the settings are only partly loaded, and saving them would lose
// the rest for good.
bool startup_interrupted = false;
ConsoleInput* input = nullptr;
// The process arguments, from start-up to the end of the process.
std::unique_ptr<ArgList> process_args;

void time_start_command(ArgList&)
{
    eng_time.value.start();
}

void time_stop_command(ArgList&)
{
    eng_time.value.stop();
}

Command time_start("time_start", time_start_command);
Command time_stop("time_stop", time_stop_command);
const RegistrationUnit::End engine_unit_end(engine_unit);
}

void common_init(ArgList* args)
{
    byteorder_init();
    console.set_program_args(args);
}

void set_console_input(ConsoleInput* console_input)
{
    input = console_input;
}

namespace {
// Waits until one of the descriptors (negative ones are left out) can be
// read or reports an end or error, `milliseconds` pass, or the run is to
// end. A stop request that arrives just before the wait still ends it at
// once: the stop signals are held back from the check until the wait
// begins.
void wait_for_input(int first, int second, int milliseconds)
{
    pollfd entries[2];
    nfds_t count = 0;
    for (const int fd : {first, second})
        if (fd >= 0)
            entries[count++] = pollfd {fd, POLLIN, 0};
    sigset_t stop_signals;
    sigemptyset(&stop_signals);
    sigaddset(&stop_signals, SIGINT);
    sigaddset(&stop_signals, SIGTERM);
    sigset_t outside;
    sigprocmask(SIG_BLOCK, &stop_signals, &outside);
    // A request from here on stays pending until ppoll unblocks it, which
    // then returns at once.
    if (!run_ending()) {
        sigset_t inside = outside;
        sigdelset(&inside, SIGINT);
        sigdelset(&inside, SIGTERM);
        const timespec timeout {milliseconds / 1000, (milliseconds % 1000) * 1000000L};
        // Should the wait itself fail, it still sleeps, so that the frame loop
        // does not spin.
        if (ppoll(entries, count, &timeout, &inside) < 0 && errno != EINTR)
            ppoll(nullptr, 0, &timeout, &inside);
    }
    sigprocmask(SIG_SETMASK, &outside, nullptr);
}
}

bool startup(int argc, const char* const* argv)
{
    init_console();
    process_args = std::make_unique<ArgList>(argc, argv);
    common_init(process_args.get());
    {
        // A quit ends the start-up where it happens, as it would end a
        // script: the layers never come up.
        StartupCommands commands(*process_args);
        commands.run_sets();
        console.execute("exec init.cfg", not_echoed);
        if (quit_requested())
            return false;
        commands.run_sets_again();
        commands.run_others();
        if (quit_requested())
            return false;
    }
    startup_interrupted = stop_requested();
    console.set_startup_complete();
    vfs_init();
    net_init();
    if (dedicated.value)
        host_init();
    else
        vid_init();
    return true;
}

bool frame()
{
    // SIGINT and SIGTERM stop the engine here, between lines, as `quit` would;
    // a Ctrl-C on a half-typed line at the terminal only discards that line.
    if (quit_requested() || (stop_requested() && !(input && input->interrupt())))
        return false;
    bool busy = input && input->poll();
    // A quit typed or sent ends the frame there, as if the process ended.
    if (quit_requested())
        return false;
    busy |= net_frame();
    if (quit_requested())
        return false;
    if (host_initted())
        host_frame();
    if (client_active()) {
        vid_frame_begin();
        client_frame();
    }
    vid_frame_end();
    // What the console wrote leaves in one write, even when standard output
    // is a pipe or a file (on a terminal, above the line being edited): when
    // the loop is about to rest, or once it has waited a millisecond. A flood
    // of datagrams then costs a write per many reports, not one each.
    static auto last_flush = std::chrono::steady_clock::now();
    const auto now = std::chrono::steady_clock::now();
    if (!busy || now - last_flush >= output_delay) {
        std::cout.flush();
        last_flush = now;
    }
    // A frame that found work goes straight on: more lines or datagrams may
    // be waiting. One that found none sleeps until input comes; the bound
    // keeps the steps that have a clock of their own turning.
    if (!busy)
        wait_for_input(input ? input->descriptor() : -1, net_descriptor(), idle_wait_ms);
    return true;
}

int shutdown()
{
    if (input)
        input->shutdown();
    if (!dedicated.value)
        vid_shutdown();
    if (host_initted())
        host_close();
    net_shutdown();
    if (startup_interrupted)
        console << "Start-up interrupted, \"default.cfg\" not written" << std::endl;
    else if (!write_config("default.cfg"))
        console << "Error writing \"default.cfg\"" << std::endl;
    vfs_close();
    std::cout.flush();
    return 0;
}

}  // namespace varnholt

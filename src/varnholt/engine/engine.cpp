#include "varnholt/engine/engine.h"

#include <chrono>
#include <cstdlib>
#include <iostream>
#include <string>

#include "varnholt/base/byte_order.h"
#include "varnholt/base/timer.h"
#include "varnholt/console/console.h"
#include "varnholt/console/registration_unit.h"
#include "varnholt/engine/config_writer.h"
#include "varnholt/engine/host.h"
#include "varnholt/engine/startup_commands.h"
#include "varnholt/engine/system.h"
#include "varnholt/net/net.h"
#include "varnholt/process/signals.h"
#include "varnholt/process/sys_input.h"
#include "varnholt/variables/variable.h"
#include "varnholt/variables/variable_commands.h"
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

void eng_run(ArgList& args)
{
    common_init(&args);
    {
        StartupCommands commands(args);
        commands.run_sets();
        console.execute("exec init.cfg", not_echoed);
        commands.run_sets_again();
        commands.run_others();
    }
    startup_interrupted = sys_stop_requested();
    console.set_startup_complete();
    vfs_init();
    net_init();
    if (dedicated.value)
        host_init();
    else
        vid_init();
    for (;;)
        eng_frame();
}

void eng_frame()
{
    // SIGINT and SIGTERM stop the engine here, between lines, as `quit` would;
    // a Ctrl-C on a half-typed line at the terminal only discards that line.
    if (sys_stop_requested() && !sys_input_interrupt())
        sys_quit(false);
    bool busy = sys_poll_input();
    busy |= net_frame();
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
        sys_wait({sys_input_descriptor(), net_descriptor()}, idle_wait_ms);
}

bool eng_shutdown()
{
    sys_input_shutdown();
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
    return true;
}

void sys_quit(bool error)
{
    eng_shutdown();
    std::cout.flush();
    std::exit(error ? EXIT_FAILURE : EXIT_SUCCESS);
}

void sys_clear_screen()
{
}

void sys_video_failure(bool)
{
}

}  // namespace varnholt

#include "varnholt/engine/engine.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <iostream>
#include <memory>
#include <string>
#include <sys/prctl.h>
#include <sys/resource.h>

#include "varnholt/base/byte_order.h"
#include "varnholt/base/clock.h"
#include "varnholt/base/hooks.h"
#include "varnholt/base/stop_request.h"
#include "varnholt/base/timer.h"
#include "varnholt/console/arg_list.h"
#include "varnholt/console/console.h"
#include "varnholt/console/registration.h"
#include "varnholt/console/registration_unit.h"
#include "varnholt/engine/config_writer.h"
#include "varnholt/engine/host.h"
#include "varnholt/engine/log_file.h"
#include "varnholt/engine/service_notify.h"
#include "varnholt/engine/startup_commands.h"
#include "varnholt/engine/tick.h"
#include "varnholt/engine/wait.h"
#include "varnholt/net/display_text.h"
#include "varnholt/net/net.h"
#include "varnholt/net/status.h"
#include "varnholt/variables/variable.h"
#include "varnholt/vfs/vfs.h"
#include "varnholt/video/video.h"

namespace varnholt {

// Its objects stand in the listings where the core's list puts this unit.
RegistrationUnit engine_unit("engine");

namespace {
void tick_rate_changed(BaseVariable&);

ConstVariable<std::string> eng_name("eng_name", "Varnholt", not_saved, "Name of the engine");
// Driven by time_start and time_stop.
ReadOnlyVariable<Timer> eng_time("eng_time", Timer(false), not_saved,
                                 "Seconds on the stopwatch of time_start and time_stop");
// Ticks a second while a tick hook is installed; a rate the tick cannot
// keep is refused.
Variable<int> eng_tickrate("eng_tickrate", 60, not_saved, "Game ticks a second, while the game has a tick",
                           Range {min_tick_rate, max_tick_rate}, tick_rate_changed);

// The longest an idle frame waits for input.
constexpr std::int64_t idle_wait_ns = 50'000'000;
// The longest the console's output waits in a run of busy frames.
constexpr std::int64_t output_delay_ns = 1'000'000;

const std::int64_t started_at = monotonic_ns();
std::uint64_t frames = 0;
TickSchedule tick_schedule(eng_tickrate.default_value);
// How early the wait for a tick ends, learnt from the wake-ups.
std::int64_t wake_margin = 0;
constexpr std::int64_t max_wake_margin_ns = 250'000;

// A stop request cut the start-up scripts or the command line's commands
// short: the settings are only partly loaded, and saving them would lose
// the rest for good.
bool startup_interrupted = false;
ConsoleInput* input = nullptr;
// The process arguments, from start-up to the end of the process.
std::unique_ptr<ArgList> process_args;

// By set, reset or reset_all.
void tick_rate_changed(BaseVariable&)
{
    tick_schedule.set_rate(eng_tickrate.value, monotonic_ns());
}

void time_start_command(ArgList&)
{
    eng_time.value.start();
}

void time_stop_command(ArgList&)
{
    eng_time.value.stop();
}

std::string fixed(double value, int decimals)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

double seconds(const timeval& time)
{
    return static_cast<double>(time.tv_sec) + static_cast<double>(time.tv_usec) / 1e6;
}

long long microseconds(std::int64_t ns)
{
    return static_cast<long long>(ns / 1000);
}

void eng_stats_command(ArgList&)
{
    const double uptime = static_cast<double>(monotonic_ns() - started_at) / 1e9;
    console << "uptime: " << fixed(uptime, 1) << " s" << std::endl;
    console << "frames: " << frames << std::endl;
    console << "typed lines run: " << (input ? input->lines_run() : 0) << std::endl;
    console << "datagrams reported: " << net_datagrams_reported() << std::endl;
    if (!hooks().tick) {
        console << "ticks: none, no tick hook is installed" << std::endl;
    } else {
        const TickSchedule& ticks = tick_schedule;
        console << "ticks run at " << ticks.rate() << " Hz: " << ticks.ticks_at_rate() << std::endl;
        console << "ticks late by more than 1 ms: " << ticks.late_ticks() << std::endl;
        const TickLateness late = ticks.lateness();
        const std::string window = ", last " + std::to_string(late.ticks) + " ticks: ";
        console << "tick lateness median" << window << microseconds(late.median) << " us" << std::endl;
        console << "tick lateness 99th percentile" << window << microseconds(late.p99) << " us" << std::endl;
        console << "tick lateness maximum" << window << microseconds(late.max) << " us" << std::endl;
        console << "ticks dropped by catch-up: " << ticks.dropped_ticks() << std::endl;
    }
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    const double cpu = seconds(usage.ru_utime) + seconds(usage.ru_stime);
    console << "CPU use since start: " << fixed(uptime > 0 ? 100 * cpu / uptime : 0, 2) << "% of one core"
            << std::endl;
}

std::string uptime_seconds()
{
    return std::to_string((monotonic_ns() - started_at) / 1'000'000'000);
}

// What a status report says of the engine, then the game's pairs.
void engine_status(StatusPairs& pairs)
{
    pairs.emplace_back("engine", eng_name.value);
    pairs.emplace_back("version", VARNHOLT_VERSION);
    pairs.emplace_back("uptime", uptime_seconds());
    if (hooks().tick) {
        pairs.emplace_back("tickrate", std::to_string(tick_schedule.rate()));
        pairs.emplace_back("late_ticks", std::to_string(tick_schedule.late_ticks()));
    }
    if (hooks().status)
        hooks().status(pairs);
}

// The service manager's one line: uptime, the tick, and the peers if the
// game counts them.
std::string service_status()
{
    std::string line = "uptime " + uptime_seconds() + " s";
    if (hooks().tick)
        line += ", " + std::to_string(tick_schedule.rate()) + " Hz, " + std::to_string(tick_schedule.late_ticks())
              + " late ticks";
    StatusPairs game_pairs;
    if (hooks().status)
        hooks().status(game_pairs);
    for (const auto& [key, value] : game_pairs)
        if (key == "peers")
            line += ", " + display_text(value.data(), value.size()) + " peers";
    return line;
}

Command time_start("time_start", time_start_command, "Starts the eng_time stopwatch");
Command time_stop("time_stop", time_stop_command, "Stops the eng_time stopwatch");
Command eng_stats("eng_stats", eng_stats_command, "Shows uptime, frames, ticks and their lateness, and CPU use");
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
// Runs the game's tick when one is due: at most one a frame, so typed lines
// and datagrams are still served between the ticks of a catch-up.
void tick_frame()
{
    if (!hooks().tick) {
        // A hook installed later starts a fresh grid.
        if (tick_schedule.started()) {
            tick_schedule = TickSchedule(tick_schedule.rate());
            prctl(PR_SET_TIMERSLACK, 0UL, 0UL, 0UL, 0UL);
        }
        return;
    }
    const std::int64_t now = monotonic_ns();
    if (!tick_schedule.started()) {
        tick_schedule.start(now);
        // The kernel may otherwise end a wait up to 50 us late, to gather
        // wake-ups; at most a few hundred a second, they cost nothing
        // measurable. 0 gives the default back when ticking stops.
        prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
    }
    if (tick_schedule.due(now))
        hooks().tick(tick_schedule.step_seconds());
}

// Sleeps until input comes, at most idle_wait_ns, and while ticking until
// the next tick is due. Waking from a wait takes the kernel a while (100 to
// 200 us on a virtual machine), so the wait for a tick ends early by the
// usual delay and the rest is spent reading the clock: the tick then runs
// at its deadline. Input that comes in those microseconds waits for the
// tick.
void idle_wait(std::int64_t now)
{
    const int first = input ? input->descriptor() : -1;
    // A watchdog ping due sooner ends the wait for it.
    const std::int64_t longest = std::min(now + idle_wait_ns, notify_deadline());
    if (!hooks().tick || (tick_schedule.started() && tick_schedule.next_deadline() - wake_margin > longest)) {
        wait_for_input(first, net_descriptor(), longest);
        return;
    }
    if (!tick_schedule.started())
        return;
    const std::int64_t deadline = tick_schedule.next_deadline();
    const std::int64_t wake = deadline - wake_margin;
    wait_for_input(first, net_descriptor(), wake);
    std::int64_t woke = monotonic_ns();
    if (woke < wake)
        return;  // input or a stop request
    if (wake > now) {
        // Settles at the wake-up delay that 6 wake-ups in 10 stay under:
        // those ticks run on time, the others a little late, and the time
        // spent reading the clock stays small.
        wake_margin += woke - wake > wake_margin ? 6000 : -4000;
        wake_margin = std::clamp<std::int64_t>(wake_margin, 0, max_wake_margin_ns);
    }
    while (woke < deadline && !run_ending())
        woke = monotonic_ns();
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
    status_set_source(engine_status);
    if (dedicated.value)
        host_init();
    else
        vid_init();
    notify_ready(service_status());
    return true;
}

bool frame()
{
    // SIGINT and SIGTERM stop the engine here, between lines, as `quit` would;
    // a Ctrl-C on a half-typed line at the terminal only discards that line.
    if (quit_requested() || (stop_requested() && !(input && input->interrupt())))
        return false;
    ++frames;
    // First, so that a tick runs as soon as the wait for its deadline ends.
    tick_frame();
    if (quit_requested())
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
    static std::int64_t last_flush = monotonic_ns();
    const std::int64_t now = monotonic_ns();
    if (!busy || now - last_flush >= output_delay_ns) {
        std::cout.flush();
        log_frame();
        last_flush = now;
    }
    notify_frame(now, service_status);
    // A frame that found work goes straight on: more lines or datagrams may
    // be waiting. One that found none sleeps until input comes or the next
    // tick is due; the bound keeps the steps that have a clock of their own
    // turning.
    if (!busy)
        idle_wait(now);
    return true;
}

int shutdown()
{
    notify_stopping();
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
    log_shutdown();
    return 0;
}

}  // namespace varnholt

#include "engine/signals.h"

#include <cassert>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <poll.h>
#include <termios.h>

#include "engine/clock.h"
#include "engine/system.h"

namespace {
constexpr std::size_t max_waited = 4;  // descriptors in one sys_wait

// The signal number of the pending request, or 0.
volatile std::sig_atomic_t stop_requested = 0;
// Set once, before any handler may read them.
termios terminal_mode;
volatile std::sig_atomic_t terminal_fd = -1;

void request_stop(int number)
{
    if (!stop_requested) {
        stop_requested = number;
        return;
    }
    sys_raise_default(number);
}
}

void sys_handle_signal(int number, void (*handler)(int))
{
    struct sigaction action;
    std::memset(&action, 0, sizeof action);
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    // Neither stop signal interrupts a handler.
    sigaddset(&action.sa_mask, SIGINT);
    sigaddset(&action.sa_mask, SIGTERM);
    // Blocking calls resume after the handler; the frame loop's polls and
    // its wait return early instead, which ends the wait.
    action.sa_flags = SA_RESTART;
    sigaction(number, &action, nullptr);
}

void sys_init_signals()
{
    sys_handle_signal(SIGINT, request_stop);
    sys_handle_signal(SIGTERM, request_stop);
    sys_handle_signal(SIGPIPE, SIG_IGN);
    sys_handle_signal(SIGXFSZ, SIG_IGN);
}

bool sys_stop_requested()
{
    return stop_requested != 0;
}

int sys_stop_signal()
{
    return stop_requested;
}

void sys_withdraw_stop_request()
{
    // A second request before this point has already ended the process, so
    // nothing that arrives meanwhile is lost.
    stop_requested = 0;
}

void sys_raise_default(int number)
{
    // Everything here is async-signal-safe.
    sys_restore_terminal_mode();
    std::signal(number, SIG_DFL);
    sigset_t self;
    sigemptyset(&self);
    sigaddset(&self, number);
    sigprocmask(SIG_UNBLOCK, &self, nullptr);
    raise(number);
}

void sys_save_terminal_mode(int fd)
{
    if (tcgetattr(fd, &terminal_mode) == 0)
        terminal_fd = fd;
}

void sys_restore_terminal_mode()
{
    if (terminal_fd >= 0)
        tcsetattr(terminal_fd, TCSANOW, &terminal_mode);
}

void sys_wait(std::initializer_list<int> descriptors, std::int64_t deadline)
{
    pollfd entries[max_waited];
    assert(descriptors.size() <= max_waited);
    nfds_t count = 0;
    for (const int fd : descriptors)
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
    if (!stop_requested) {
        sigset_t inside = outside;
        sigdelset(&inside, SIGINT);
        sigdelset(&inside, SIGTERM);
        // Read last, so that the wait ends at the deadline itself: a tick
        // due then is not late by the work done since the frame began.
        const std::int64_t left = deadline - monotonic_ns();
        if (left > 0) {
            const timespec timeout {static_cast<time_t>(left / 1'000'000'000), static_cast<long>(left % 1'000'000'000)};
            // Should the wait itself fail, it still sleeps, so that the frame
            // loop does not spin.
            if (ppoll(entries, count, &timeout, &inside) < 0 && errno != EINTR)
                ppoll(nullptr, 0, &timeout, &inside);
        }
    }
    sigprocmask(SIG_SETMASK, &outside, nullptr);
}

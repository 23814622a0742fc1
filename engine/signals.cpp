#include "engine/signals.h"

#include <csignal>
#include <cstring>
#include <termios.h>

#include "engine/system.h"

namespace {
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
    // The default action, at once: everything here is async-signal-safe.
    sys_restore_terminal_mode();
    std::signal(number, SIG_DFL);
    sigset_t self;
    sigemptyset(&self);
    sigaddset(&self, number);
    sigprocmask(SIG_UNBLOCK, &self, nullptr);
    raise(number);
}

void handle(int number, void (*handler)(int))
{
    struct sigaction action;
    std::memset(&action, 0, sizeof action);
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    // Neither stop signal interrupts the other's handler.
    sigaddset(&action.sa_mask, SIGINT);
    sigaddset(&action.sa_mask, SIGTERM);
    // Blocking calls resume after the handler; the polls of standard input
    // and of the socket return early instead, and both count that as
    // "nothing ready" for this frame.
    action.sa_flags = SA_RESTART;
    sigaction(number, &action, nullptr);
}
}

void sys_init_signals()
{
    handle(SIGINT, request_stop);
    handle(SIGTERM, request_stop);
    handle(SIGPIPE, SIG_IGN);
    handle(SIGXFSZ, SIG_IGN);
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

#include "varnholt/process/signals.h"

#include <csignal>
#include <cstring>
#include <termios.h>

#include "varnholt/base/reopen_request.h"
#include "varnholt/base/stop_request.h"

namespace varnholt {

namespace {
// Set once, before any handler may read them.
termios terminal_mode;
volatile std::sig_atomic_t terminal_fd = -1;

void on_stop_signal(int number)
{
    if (!stop_requested()) {
        request_stop(number);
        return;
    }
    sys_raise_default(number);
}

void on_reopen_signal(int)
{
    request_reopen();
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
    sys_handle_signal(SIGINT, on_stop_signal);
    sys_handle_signal(SIGTERM, on_stop_signal);
    sys_handle_signal(SIGHUP, on_reopen_signal);
    sys_handle_signal(SIGPIPE, SIG_IGN);
    sys_handle_signal(SIGXFSZ, SIG_IGN);
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

}  // namespace varnholt

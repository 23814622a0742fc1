#include "engine/signals.h"

#include <csignal>
#include <cstring>

namespace {
volatile std::sig_atomic_t stop_requested = 0;

void request_stop(int)
{
    stop_requested = 1;
}

void handle(int number, void (*handler)(int))
{
    struct sigaction action;
    std::memset(&action, 0, sizeof action);
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
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
}

bool sys_stop_requested()
{
    return stop_requested != 0;
}

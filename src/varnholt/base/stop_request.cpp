#include "varnholt/base/stop_request.h"

#include <csignal>

namespace varnholt {

namespace {
volatile std::sig_atomic_t quit_flag = 0;
// The signal number of the pending stop request, or 0.
volatile std::sig_atomic_t stop_number = 0;
}

void request_quit()
{
    quit_flag = 1;
}

bool quit_requested()
{
    return quit_flag != 0;
}

void request_stop(int number)
{
    if (!stop_number)
        stop_number = number;
}

bool stop_requested()
{
    return stop_number != 0;
}

int stop_signal()
{
    return stop_number;
}

void withdraw_stop_request()
{
    // A second request before this point has already ended the process, so
    // nothing that arrives meanwhile is lost.
    stop_number = 0;
}

}  // namespace varnholt

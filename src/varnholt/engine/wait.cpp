#include "varnholt/engine/wait.h"

#include <cerrno>
#include <csignal>
#include <ctime>
#include <initializer_list>
#include <poll.h>

#include "varnholt/base/clock.h"
#include "varnholt/base/stop_request.h"

namespace varnholt {

void wait_for_input(int first, int second, std::int64_t deadline)
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

}  // namespace varnholt

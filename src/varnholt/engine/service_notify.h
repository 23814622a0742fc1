/*
 * Telling a service manager how the engine is, through its notification
 * socket, when the environment names one (NOTIFY_SOCKET): ready once
 * start-up is complete, a watchdog ping from the frame loop at half the
 * interval WATCHDOG_USEC asks for, a one-line status now and then, and
 * stopping when the shutdown begins. libsystemd (libsystemd.so.0) is
 * loaded for it at the first notification, and only when NOTIFY_SOCKET is
 * set: a start without it costs nothing more. Without the library the
 * engine says once that it cannot notify, and runs on.
 */
#pragma once

#include <cstdint>
#include <string>

namespace varnholt {

// READY=1, with STATUS=`status`.
void notify_ready(const std::string& status);
// From the frame loop, with the monotonic time: WATCHDOG=1 when a ping is
// due, and the status that `status` makes (called only then) with it, or
// every 10 seconds without a watchdog.
void notify_frame(std::int64_t now, std::string (*status)());
// When the next watchdog ping is due, which an idle wait must not pass; the
// largest time there is while no watchdog runs.
std::int64_t notify_deadline();
// STOPPING=1.
void notify_stopping();

}  // namespace varnholt
